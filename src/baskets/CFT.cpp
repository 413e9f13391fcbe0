#include "CFT.h"

#include "base/JoinedPath.h"
#include "baskets/FolderSheetLoader.h"
#include "cards/FileTypes.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kColumnWidth = 160;
constexpr int kPictureRowHeight = 147;
constexpr int kNameRowHeight = 20;
constexpr QSize kViewSize{675, 600};

} // namespace

QString CFT::extensionOf(const QString &name) { return FolderSheetLoader::extensionOf(name); }
bool CFT::isPictureExtension(const QString &extension) { return FolderSheetLoader::isPictureExtension(extension); }
QString CFT::iconFile(const QString &extension) { return FolderSheetLoader::iconFile(extension); }

CFT::CFT(AppState &state, const BasketSource &source, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_title(source.title)
    , m_folder(source.folder)
    , m_receivedFiles(source.isReceivedFiles())
    , m_loader(new FolderSheetLoader(state.programFolder, this))
{
    setObjectName(u"CFT"_s);
    setWindowTitle(m_title);
    setAttribute(Qt::WA_DeleteOnClose);

    m_grid = new CGridCtrl(this);
    m_grid->setObjectName(u"thumbnails"_s);
    m_grid->setGridKind(kGridKind);
    m_grid->setFixedRowCount(0);
    m_grid->setFixedColumnCount(0);
    m_grid->setRowCount(0);
    m_grid->setColumnCount(kColumns);
    for (int c = 0; c < kColumns; ++c)
        m_grid->setColumnWidth(c, kColumnWidth);
    m_grid->setImageListSize(kThumbnailSlots);
    m_grid->setEditable(false);
    // The lines are drawn white so that the sheet reads as pictures with captions.
    m_grid->setGridLineColour(Qt::white);
    connect(m_grid, &CGridCtrl::cellRightClicked, this, &CFT::onRightClicked);
    connect(m_loader, &FolderSheetLoader::listed, this, &CFT::onListed);
    connect(m_loader, &FolderSheetLoader::thumbnail, this, &CFT::onThumbnail);
    connect(m_loader, &FolderSheetLoader::finished, this, &CFT::loadingFinished);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    resize(kViewSize);
}

CFT::~CFT()
{
    stopLoading();
}

void CFT::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        startLoading();
    }
}

void CFT::closeEvent(QCloseEvent *event)
{
    stopLoading();
    QWidget::closeEvent(event);
}

bool CFT::isLoading() const { return m_loader->isRunning(); }

void CFT::startLoading()
{
    m_started = true;
    // Stopped before the sheet is cleared: what the earlier load still sends is dropped.
    m_loader->stop();
    clearSheet();
    m_loader->start(m_folder);
}

bool CFT::stopLoading() { return m_loader->stop(); }

void CFT::clearSheet()
{
    m_grid->setRowCount(0);
    m_grid->setImageListSize(0);
    m_grid->setImageListSize(kThumbnailSlots);
}

void CFT::onListed(const QStringList &names)
{
    const int pairs = int((names.size() + kColumns - 1) / kColumns);
    m_grid->beginBatch();
    m_grid->setRowCount(pairs * 2);
    for (int k = 0; k < pairs; ++k) {
        m_grid->setRowHeight(2 * k, kPictureRowHeight);
        m_grid->setRowHeight(2 * k + 1, kNameRowHeight);
        for (int c = 0; c < kColumns; ++c) {
            const qsizetype index = qsizetype(k) * kColumns + c;
            if (index < names.size())
                m_grid->setText(2 * k + 1, c, names.at(index));
        }
    }
    m_grid->endBatch();
}

void CFT::onThumbnail(int slot, const QImage &thumbnail)
{
    const int row = 2 * (slot / kColumns);
    if (row >= m_grid->rowCount())
        return;
    m_grid->setListImage(slot, thumbnail);
    m_grid->setImage(row, slot % kColumns, slot);
}

QString CFT::fileNameAt(int row, int column) const
{
    if (row < 0 || column < 0 || column >= kColumns)
        return {};
    return m_grid->text(row - row % 2 + 1, column);
}

QString CFT::currentFileName() const
{
    return fileNameAt(m_grid->currentRow(), m_grid->currentColumn());
}

QString CFT::pathOf(const QString &name) const
{
    return joinedPath(m_folder, name);
}

QList<FileItem> CFT::selectedFiles(QStringList *gone) const
{
    QList<FileItem> items;
    const GridCellRange range = m_grid->selectedCellRange();
    for (int row = range.minRow; range.isValid() && row <= range.maxRow; ++row) {
        if (row % 2 != 0)
            continue;
        for (int c = 0; c < kColumns; ++c) {
            if (!m_grid->isCellSelected(row, c))
                continue;
            const QString name = fileNameAt(row, c);
            if (name.isEmpty())
                continue; // a filler stands for no file
            const QString path = pathOf(name);
            if (!QFileInfo(path).isFile()) {
                if (gone)
                    gone->append(name);
                continue;
            }
            items.append(FileItem::fromPath(path));
        }
    }
    return items;
}

void CFT::onRightClicked(int row, int column, int gridKind, const QPoint &globalPos)
{
    if (gridKind != kGridKind)
        return;
    if (row >= 0 && column >= 0 && !m_grid->isCellSelected(row, column))
        m_grid->setCurrentCell(row, column);
    if (const int command = CGridCtrl::chooseCommand(contextMenu(), globalPos))
        runCommand(command);
}

QMenu *CFT::contextMenu()
{
    struct Item
    {
        int command;
        QString text;
        bool enabled;
    };
    const Item items[] = {
        {CmdArchive, tr("أرشفة"), true},
        {CmdView, tr("عرض"), true},
        {CmdTransfer, tr("تحويل لمستخدم"), true},
        {CmdDeleteAll, tr("حذف الكل"), m_receivedFiles},
        // Nothing here prints; the command stays disabled.
        {CmdPrint, tr("طباعة"), false},
    };
    auto *menu = new QMenu(this);
    menu->setObjectName(u"Any"_s);
    menu->setLayoutDirection(Qt::RightToLeft);
    for (const Item &item : items) {
        QAction *action = menu->addAction(item.text);
        action->setData(item.command);
        action->setEnabled(item.enabled);
    }
    return menu;
}

void CFT::runCommand(int command)
{
    switch (command) {
    case CmdArchive: {
        QStringList gone;
        const QList<FileItem> items = selectedFiles(&gone);
        if (!items.isEmpty())
            Q_EMIT archiveFilesRequested(items);
        if (!gone.isEmpty())
            MessageBox::warning(this, tr("لم تعد هذه الملفات في المجلد ولم تضف الى البطاقة:") + u'\n' + gone.join(u'\n'));
        break;
    }
    case CmdView: {
        const QString name = currentFileName();
        if (name.isEmpty())
            break;
        if (FileTypes::isImage(extensionOf(name)))
            Q_EMIT viewRequested(pathOf(name));
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(pathOf(name)));
        break;
    }
    case CmdTransfer: {
        const QString name = currentFileName();
        if (!name.isEmpty())
            Q_EMIT transferRequested(pathOf(name));
        break;
    }
    case CmdDeleteAll:
        if (m_receivedFiles)
            deleteAll();
        break;
    default:
        break;
    }
}

void CFT::deleteAll()
{
    // Only what the sheet shows: a file that arrived since the window opened has not been seen
    // and stays for the next window.
    QStringList names;
    for (int row = 1; row < m_grid->rowCount(); row += 2) {
        for (int c = 0; c < kColumns; ++c) {
            const QString name = m_grid->text(row, c);
            if (!name.isEmpty())
                names.append(name);
        }
    }
    if (names.isEmpty())
        return;
    const QString question = tr("سيتم حذف الملفات الواردة المعروضة (%1 ملف) نهائيا. هل تريد المتابعة؟").arg(names.size());
    if (MessageBox::question(this, question, {}, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;

    stopLoading();
    QStringList kept;
    for (const QString &name : names) {
        const QString path = pathOf(name);
        const QFileInfo info(path);
        // Never a folder, and never a hidden file that took a listed name's place.
        if (!info.exists() && !info.isSymLink())
            continue;
        if (info.isDir() || info.isHidden() || !QFile::remove(path))
            kept.append(name);
    }
    clearSheet();
    if (!kept.isEmpty())
        MessageBox::warning(this, tr("تعذر حذف هذه الملفات:") + u'\n' + kept.join(u'\n'));
}
