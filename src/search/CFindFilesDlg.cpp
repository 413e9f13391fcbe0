#include "CFindFilesDlg.h"

#include "FileProperties.h"
#include "FilePropertiesDlg.h"
#include "cards/CCardDlg.h"
#include "ui/FileDialog.h"
#include "ui/ItemIcons.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The result list's columns and their widths in pixels.
constexpr int kFoundColumnWidths[] = {150, 200, 60, 120};
// How wide a column may grow to show its longest row; a longer folder shows whole as its tooltip.
constexpr int kColumnLimit = 480;
constexpr int kCellMargin = 16;
// The rows measured for it: the first screenfuls, not a list of many thousands.
constexpr int kRowsMeasured = 200;
// Places of the file icon in the lists' strip.
constexpr int kFileIcon = 2;

} // namespace

CFindFilesDlg::CFindFilesDlg(CCardDlg *card, QWidget *parent)
    : QDialog(parent), m_card(card), m_folder(new QLineEdit(this)), m_browse(new QPushButton(tr("استعراض ..."), this)),
      m_name(new QLineEdit(this)), m_text(new QLineEdit(this)),
      m_subFolders(new QCheckBox(tr("بحث بالمجلدات الفرعية"), this)),
      m_sizeOn(new QCheckBox(tr("حجم الملف (كيلو بايت) ..."), this)), m_moreThan(new QSpinBox(this)),
      m_lessThan(new QSpinBox(this)), m_modes(new QButtonGroup(this)), m_search(new QPushButton(searchCaption(), this)),
      m_list(new QTreeView(this)), m_status(new QLabel(this)), m_ok(new QPushButton(tr("موافق"), this))
{
    setWindowTitle(tr("بحث في الكمبيوتر"));
    setLayoutDirection(Qt::RightToLeft);
    // Resizable, with a minimise box; minimised it shows the program's icon.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(u":/icons/dovrelle.png"_s));
    setSizeGripEnabled(true);
    m_open = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };

    for (QSpinBox *box : {m_moreThan, m_lessThan}) {
        box->setRange(0, std::numeric_limits<int>::max());
        box->setEnabled(false);
    }
    m_lessThan->setValue(1024);
    m_subFolders->setChecked(true);
    m_model.setRowIcon(QIcon(ItemIcons::items().value(kFileIcon)));
    m_list->setModel(&m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setStretchLastSection(false);
    for (int c = 0; c < FoundFilesModel::ColumnCount; ++c)
        m_list->setColumnWidth(c, kFoundColumnWidths[c]);
    m_status->setText(tr("0 items found"));
    m_ok->setAutoDefault(false);
    m_search->setDefault(true);
    buildLayout();

    connect(m_browse, &QPushButton::clicked, this, &CFindFilesDlg::browse);
    connect(m_sizeOn, &QCheckBox::toggled, m_moreThan, &QWidget::setEnabled);
    connect(m_sizeOn, &QCheckBox::toggled, m_lessThan, &QWidget::setEnabled);
    connect(m_search, &QPushButton::clicked, this, &CFindFilesDlg::searchOrStop);
    connect(m_ok, &QPushButton::clicked, this, &CFindFilesDlg::accept);
    connect(m_list, &QTreeView::doubleClicked, this, &CFindFilesDlg::openRow);
    connect(m_list, &QTreeView::customContextMenuRequested, this, &CFindFilesDlg::showProperties);
    connect(&m_runner, &FolderSearchRunner::found, this,
            [this](const QList<FoundFile> &files, int total, const QString &folder) {
                m_model.apply(m_mode, files);
                showCount(total, folder);
                fitColumns();
            });
    connect(&m_runner, &FolderSearchRunner::folderReached, this,
            [this](const QString &folder, int total) { showCount(total, folder); });
    connect(&m_runner, &FolderSearchRunner::finished, this, [this](int total, bool stopped) {
        m_search->setText(searchCaption());
        m_status->setText(tr("%1 items found").arg(total));
        emit searchEnded(total, stopped);
    });
    resize(760, 480);
}

CFindFilesDlg::~CFindFilesDlg()
{
    m_runner.stop();
}

QString CFindFilesDlg::searchCaption()
{
    return tr("بحث");
}

QString CFindFilesDlg::cancelCaption()
{
    return tr("الغاء");
}

void CFindFilesDlg::buildLayout()
{
    auto *grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(tr("بحث في"), this), row, 0);
    grid->addWidget(m_folder, row, 1);
    grid->addWidget(m_browse, row++, 2);
    grid->addWidget(new QLabel(tr("محددات تسمية الملف:"), this), row, 0);
    grid->addWidget(m_name, row++, 1, 1, 2);
    grid->addWidget(new QLabel(tr("تحوي النص:"), this), row, 0);
    grid->addWidget(m_text, row++, 1, 1, 2);
    grid->addWidget(m_subFolders, row++, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto *sizes = new QHBoxLayout;
    sizes->addWidget(m_sizeOn);
    sizes->addSpacing(12);
    sizes->addWidget(new QLabel(tr("اكثر من:"), this));
    sizes->addWidget(m_moreThan);
    sizes->addWidget(new QLabel(tr("أقل من:"), this));
    sizes->addWidget(m_lessThan);
    sizes->addStretch();

    auto *modes = new QHBoxLayout;
    const QString captions[] = {tr("استبدال القائمة"), tr("اضافة للقائمة"), tr("حذف من القائمة")};
    for (int mode = FoundFilesModel::Replace; mode <= FoundFilesModel::Remove; ++mode) {
        auto *radio = new QRadioButton(captions[mode], this);
        m_modes->addButton(radio, mode);
        modes->addWidget(radio);
    }
    m_modes->button(FoundFilesModel::Replace)->setChecked(true);
    modes->addStretch();
    modes->addWidget(m_search);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(sizes);
    layout->addLayout(modes);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
}

void CFindFilesDlg::browse()
{
    // A cancelled chooser empties the folder box.
    m_folder->setText(FileDialog::chooseFolder(this));
}

FolderSearchOptions CFindFilesDlg::options() const
{
    FolderSearchOptions o;
    o.folder = m_folder->text().trimmed();
    o.fileMask = u"*%1*"_s.arg(m_name->text());
    o.recursive = m_subFolders->isChecked();
    o.filters = FolderSearchOptions::AttributeFilter;
    if (m_sizeOn->isChecked()) {
        o.filters |= FolderSearchOptions::SizeFilter;
        o.minSize = qint64(m_moreThan->value()) * 1024;
        o.maxSize = qint64(m_lessThan->value()) * 1024;
    }
    if (!m_text->text().isEmpty()) {
        o.filters |= FolderSearchOptions::TextFilter;
        o.text = m_text->text();
    }
    return o;
}

void CFindFilesDlg::searchOrStop()
{
    if (m_runner.isRunning())
        m_runner.stop();
    else
        startSearch();
}

void CFindFilesDlg::startSearch()
{
    const FolderSearchOptions o = options();
    if (o.folder.isEmpty() || !QFileInfo(o.folder).isDir()) {
        MessageBox::warning(this, o.folder.isEmpty() ? tr("اختر المجلد الذي يبحث فيه") : tr("لا يوجد مجلد باسم %1").arg(o.folder));
        return;
    }
    m_mode = FoundFilesModel::ListMode(m_modes->checkedId());
    if (m_mode == FoundFilesModel::Replace) {
        m_model.beginSearch(m_mode);
        m_status->setText(tr("0 items found"));
    }
    if (m_runner.start(o))
        m_search->setText(cancelCaption());
}

void CFindFilesDlg::fitColumns()
{
    // Never narrower than at the start; wider as far as the shown rows need, up to a limit.
    const QFontMetrics metrics(m_list->font());
    const int rows = std::min(m_model.rowCount(), kRowsMeasured);
    for (int c = 0; c < FoundFilesModel::ColumnCount; ++c) {
        int needed = 0;
        for (int r = 0; r < rows; ++r)
            needed = std::max(needed, metrics.horizontalAdvance(m_model.index(r, c).data().toString()));
        // Room for the margins, and beside the name for its icon.
        needed += kCellMargin + (c == FoundFilesModel::NameColumn ? m_list->iconSize().width() + kCellMargin : 0);
        const int wanted = std::min(needed, kColumnLimit);
        if (wanted > m_list->columnWidth(c))
            m_list->setColumnWidth(c, wanted);
    }
}

void CFindFilesDlg::showCount(int total, const QString &folder)
{
    m_status->setText(u"(%1) - %2"_s.arg(total).arg(folder));
}

void CFindFilesDlg::openRow(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const WaitCursor wait;
    m_open(m_model.fileAt(index.row()).path());
}

void CFindFilesDlg::showProperties(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (!index.isValid())
        return;
    m_list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    FilePropertiesDlg::showFor(m_model.fileAt(index.row()).path(), this);
}

void CFindFilesDlg::accept()
{
    if (m_runner.isRunning())
        m_runner.stop();
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (m_card && !rows.isEmpty()) {
        if (!m_card->readyForHandedItems())
            return;
        // In list order, each as the card's own file and folder choosers add it.
        for (int row : std::as_const(rows)) {
            const FoundFile &file = m_model.fileAt(row);
            if (file.isFolder)
                m_card->addFolder(file.folder + file.name);
            else
                m_card->addFiles({file.path()});
        }
        m_card->show();
        m_card->raise();
    }
    QDialog::accept();
}

void CFindFilesDlg::reject()
{
    // While a search runs, cancelling only stops it.
    if (m_runner.isRunning()) {
        m_runner.stop();
        return;
    }
    QDialog::reject();
}

void CFindFilesDlg::closeEvent(QCloseEvent *event)
{
    if (m_runner.isRunning()) {
        m_runner.stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
