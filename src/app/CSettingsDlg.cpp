#include "CSettingsDlg.h"

#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "SystemSettings.h"
#include "db/AllocationLock.h"
#include "ui/CGridCtrl.h"
#include "ui/DateBox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const int kFeedColumnWidths[] = {30, 80, 60, 50};

QToolButton *browseButton(QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(u"...."_s);
    return b;
}

} // namespace

CSettingsDlg::CSettingsDlg(const AppState &state, QWidget *parent)
    : QDialog(parent), m_state(state), m_company(new QLineEdit(this)), m_scanner(new QLineEdit(this)),
      m_fax(new QLineEdit(this)), m_fileServer(new QLineEdit(this)), m_dataServer(new QLineEdit(this)),
      m_spare(new QLineEdit(this)), m_marking(new QComboBox(this)), m_budget(new QLineEdit(this)),
      m_series(new QLineEdit(this)), m_startDate(new QDateEdit(this)), m_feeds(new CGridCtrl(this))
{
    setWindowTitle(tr("اعدادات النظام"));
    setLayoutDirection(Qt::RightToLeft);
    m_spare->hide();
    m_marking->setEditable(true);
    m_marking->addItems({tr("بدون"), tr("بالتاريخ"), tr("برقم الوثيقة و الملف"), tr("ادخل نص اختياري")});
    DateBox::setUp(m_startDate, DateBox::dateFormat());

    auto *form = new QFormLayout;
    form->addRow(tr("اسم الشركة"), m_company);
    auto folderRow = [&](const QString &label, QLineEdit *edit) {
        // A path reads from left to right even in a right-to-left form.
        edit->setLayoutDirection(Qt::LeftToRight);
        auto *row = new QHBoxLayout;
        row->addWidget(edit, 1);
        QToolButton *browse = browseButton(this);
        row->addWidget(browse);
        connect(browse, &QToolButton::clicked, this, [this, edit] { browseInto(edit); });
        form->addRow(label, row);
    };
    folderRow(tr("مجلد السكانر"), m_scanner);
    folderRow(tr("مجلد الفاكسات"), m_fax);
    folderRow(tr("خادم الملفات"), m_fileServer);
    folderRow(tr("مخدم البيانات"), m_dataServer);
    form->addRow(tr("تأشير الملفات المؤرشفة"), m_marking);
    auto *budgetRow = new QHBoxLayout;
    budgetRow->addWidget(m_budget, 1);
    budgetRow->addWidget(new QLabel(tr("بايت"), this));
    form->addRow(tr("حجم المعلومات لكل قرص"), budgetRow);
    form->addRow(tr("رقم القرص الحالي"), m_series);
    form->addRow(tr("تاريخ بداية الارشيف"), m_startDate);

    buildFeedsGrid();

    auto *saveButton = new QPushButton(tr("حفظ"), this);
    auto *resetButton = new QPushButton(u"reset"_s, this);
    // The form has no default action: Enter saves nothing.
    saveButton->setAutoDefault(false);
    resetButton->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &CSettingsDlg::save);
    connect(resetButton, &QPushButton::clicked, this, &CSettingsDlg::resetLock);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(resetButton);
    buttons->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addWidget(m_feeds, 1);
    columns->addLayout(form, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    resize(760, 360);
    load();
}

void CSettingsDlg::buildFeedsGrid()
{
    m_feeds->setGridKind(kFeedsGridKind);
    m_feeds->setColumnCount(4);
    m_feeds->setRowCount(SettingsFiles::kFeedCount + 1);
    m_feeds->setFixedRowCount(1);
    m_feeds->setFixedColumnCount(1);
    m_feeds->setEditable(true);
    for (int c = 0; c < 4; ++c)
        m_feeds->setColumnWidth(c, kFeedColumnWidths[c]);
    m_feeds->setText(0, 1, tr(" المصدر"));
    m_feeds->setText(0, 2, tr("( الاسم)"));
    m_feeds->setText(0, 3, tr(" النوع"));
    const QStringList types{SettingsFiles::feedTypeText(FeedRecord::File), SettingsFiles::feedTypeText(FeedRecord::Images),
                            SettingsFiles::feedTypeText(FeedRecord::Text)};
    for (int row = 1; row <= SettingsFiles::kFeedCount; ++row) {
        m_feeds->setText(row, 0, QString::number(row));
        m_feeds->setOptions(row, 3, types);
    }
    m_feeds->setMinimumSize(260, 220);
    // A double-click on a row's number picks the feed's folder.
    connect(m_feeds, &CGridCtrl::cellDoubleClicked, this, [this](int row, int column, int kind) {
        if (kind != kFeedsGridKind || column != 0 || row < 1)
            return;
        const QString folder = FileDialog::chooseFolder(this);
        if (!folder.isEmpty())
            m_feeds->setText(row, 1, folder);
    });
}

void CSettingsDlg::browseInto(QLineEdit *edit)
{
    const QString folder = FileDialog::chooseFolder(this);
    if (!folder.isEmpty())
        edit->setText(QDir::toNativeSeparators(folder));
}

QLineEdit *CSettingsDlg::field(int id) const
{
    switch (id) {
    case 1000: return m_company;
    case 1001: return m_scanner;
    case 1002: return m_fax;
    case 1003: return m_spare;
    case 1004: return m_fileServer;
    case 1005: return m_budget;
    case 1006: return m_series;
    case 1007: return m_dataServer;
    default: return nullptr;
    }
}

void CSettingsDlg::load()
{
    const SystemSettings s = SystemSettings::load(m_state.programFolder, m_state.databaseFolder);
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        m_feeds->setText(i + 1, 0, QString::number(i + 1));
        m_feeds->setText(i + 1, 1, s.feeds[i].folder);
        m_feeds->setText(i + 1, 2, s.feeds[i].name);
        m_feeds->setText(i + 1, 3, SettingsFiles::feedTypeText(s.feeds[i].type));
    }
    m_company->setText(s.companyName);
    m_dataServer->setText(s.databaseFolder);
    m_fileServer->setText(s.fileServerFolder);
    m_scanner->setText(s.scannerFolder);
    m_fax->setText(s.faxFolder);
    m_spare->setText(s.spareFolder);
    m_marking->setEditText(s.markingMode);
    // An empty or unreadable start date shows today.
    m_startDate->setDate(PathsFile::parseStartDate(s.startDate).value_or(QDate::currentDate()));
    m_budget->setText(s.seriesBudget);
    m_series->setText(s.seriesNumber);
}

bool CSettingsDlg::save()
{
    SystemSettings s;
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        s.feeds[i].folder = m_feeds->text(i + 1, 1);
        s.feeds[i].name = m_feeds->text(i + 1, 2);
        s.feeds[i].type = SettingsFiles::feedTypeFromText(m_feeds->text(i + 1, 3));
    }
    s.companyName = m_company->text();
    s.databaseFolder = m_dataServer->text();
    s.fileServerFolder = m_fileServer->text();
    s.scannerFolder = m_scanner->text();
    s.faxFolder = m_fax->text();
    s.spareFolder = m_spare->text();
    s.markingMode = m_marking->currentText();
    s.seriesBudget = m_budget->text();
    s.seriesNumber = m_series->text();
    s.startDate = PathsFile::formatStartDate(m_startDate->date());
    // The settings files live in the folder the running program uses, made on a first run.
    QDir().mkpath(m_state.databaseFolder);
    const Status saved = s.save(m_state.programFolder, m_state.databaseFolder);
    if (!saved) {
        MessageBox::warning(this, saved.error(), windowTitle());
        return false;
    }
    return true;
}

void CSettingsDlg::resetLock()
{
    if (Status s = AllocationLock::reset(m_state.databaseFolder); !s)
        MessageBox::warning(this, s.error(), windowTitle());
}

void CSettingsDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
