#include "CWorkflowDlg.h"

#include "JobGridPrinter.h"

#include "ui/CFlatButton.h"
#include "ui/CGridCtrl.h"
#include "ui/DateBox.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using namespace JobColumns;

namespace {

constexpr QSize kImageSize(16, 16);
constexpr QSize kDialogSize(1000, 520);

// The two marks of column 0: a red clock for an overdue job, a green tick for a finished one.
QList<QPixmap> markImages()
{
    QPixmap overdue(kImageSize);
    overdue.fill(Qt::transparent);
    {
        QPainter p(&overdue);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(190, 30, 30), 1.6));
        p.setBrush(QColor(255, 225, 225));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    }
    QPixmap finished(kImageSize);
    finished.fill(Qt::transparent);
    {
        QPainter p(&finished);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(20, 140, 40), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
    }
    return {overdue, finished};
}

} // namespace

CWorkflowDlg::CWorkflowDlg(const AppState &state, Database db, QWidget *parent)
    : QDialog(parent), m_state(state), m_book(std::move(db))
{
    setWindowTitle(state.currentUser);
    setLayoutDirection(Qt::RightToLeft);
    resize(kDialogSize);
    buildGrid();
    buildControls();

    const Result<QList<WorkflowJob>> jobs = m_book.all();
    const Result<WorkflowPermissions> permissions = m_book.permissionsOf(m_state.receivedFilesUser());
    if (permissions)
        m_permissions = *permissions;
    applyPermissions();
    if (jobs)
        fill(*jobs);
    if (!jobs || !permissions) {
        const QString problem = !jobs ? jobs.error() : permissions.error();
        QMetaObject::invokeMethod(this, [this, problem] { MessageBox::critical(this, problem); }, Qt::QueuedConnection);
    }
    focusFirstJob();
}

CWorkflowDlg::~CWorkflowDlg() = default;

void CWorkflowDlg::buildGrid()
{
    m_grid = new CGridCtrl(this);
    m_grid->setObjectName(u"jobGrid"_s);
    m_grid->setGridKind(kGridKind);
    m_grid->setEditable(true);
    m_grid->setDefaultRowHeight(kRowHeight);
    m_grid->setColumnCount(kCount);
    m_grid->setRowCount(1);
    m_grid->setFixedRowCount(1);
    m_grid->setFixedColumnCount(1);
    m_grid->gridModel()->setImageList(markImages());
    for (int c = 0; c < kCount; ++c)
        m_grid->setText(0, c, all()[c].header);
    connect(m_grid, &CGridCtrl::cellDoubleClicked, this, [this](int row, int column, int kind) {
        if (kind == kGridKind)
            stampDate(row, column);
    });
}

void CWorkflowDlg::buildControls()
{
    auto button = [this](QStyle::StandardPixmap icon, const QString &text, const QString &name) {
        auto *b = new CFlatButton(style()->standardIcon(icon), text, this);
        b->setObjectName(name);
        return b;
    };
    m_new = button(QStyle::SP_FileIcon, tr("جديد"), u"newJob"_s);
    m_save = button(QStyle::SP_DialogSaveButton, tr("حفظ"), u"saveJob"_s);
    m_edit = button(QStyle::SP_DialogApplyButton, tr("تعديل"), u"editJob"_s);
    m_delete = button(QStyle::SP_TrashIcon, tr("حذف"), u"deleteJob"_s);
    m_print = button(QStyle::SP_FileDialogDetailedView, tr("طباعة"), u"printJobs"_s);
    m_search = button(QStyle::SP_FileDialogContentsView, tr("بحث"), u"searchJobs"_s);
    connect(m_new, &QPushButton::clicked, this, &CWorkflowDlg::newJob);
    connect(m_save, &QPushButton::clicked, this, &CWorkflowDlg::saveJob);
    connect(m_edit, &QPushButton::clicked, this, &CWorkflowDlg::editJob);
    connect(m_delete, &QPushButton::clicked, this, &CWorkflowDlg::deleteJob);
    connect(m_print, &QPushButton::clicked, this, &CWorkflowDlg::printJobs);
    connect(m_search, &QPushButton::clicked, this, &CWorkflowDlg::searchJobs);

    m_status = new QComboBox(this);
    m_status->setEditable(true);
    m_status->addItems({tr("1-الكل"), tr("2-المنجزة"), tr("3-غير المنجزة")});
    m_stage = new QComboBox(this);
    m_stage->setEditable(true);
    m_stage->addItems({tr("1-الكل"), tr("2-الجهة"), tr("3-الطبع"), tr("4-التجليد-المستودع")});
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    m_name = new QLineEdit(this);
    m_reference = new QLineEdit(this);
    for (QLineEdit *number : {m_from, m_to})
        number->setMaximumWidth(60);
    m_dated = new QCheckBox(tr("تاريخ"), this);
    m_deliveredFrom = DateBox::date(this);
    m_deliveredTo = DateBox::date(this);
    for (QDateEdit *box : {m_deliveredFrom, m_deliveredTo}) {
        box->setDate(QDate::currentDate());
        box->setEnabled(false);
    }
    connect(m_dated, &QCheckBox::toggled, this, [this](bool on) {
        m_deliveredFrom->setEnabled(on);
        m_deliveredTo->setEnabled(on);
    });

    auto *buttons = new QHBoxLayout;
    for (CFlatButton *b : {m_new, m_save, m_edit, m_delete, m_print})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_search);

    auto *filters = new QHBoxLayout;
    filters->addWidget(m_status);
    filters->addWidget(m_stage);
    filters->addWidget(new QLabel(tr("من"), this));
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(tr("الى"), this));
    filters->addWidget(m_to);
    filters->addWidget(new QLabel(tr("الاسم"), this));
    filters->addWidget(m_name, 1);
    filters->addWidget(new QLabel(tr("المرجع"), this));
    filters->addWidget(m_reference, 1);
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dated);
    dates->addWidget(m_deliveredFrom);
    dates->addWidget(m_deliveredTo);
    dates->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addLayout(buttons);
    layout->addWidget(m_grid, 1);
    layout->addLayout(filters);
    layout->addLayout(dates);
}

void CWorkflowDlg::applyPermissions()
{
    // A date column is at least as wide as the longest date, so no date is cut.
    const int dateWidth = m_grid->fontMetrics().horizontalAdvance(u"30/12/2026"_s) + 2 * m_grid->fontMetrics().averageCharWidth();
    for (int c = 0; c < kCount; ++c) {
        int width = openingWidth(c, m_permissions);
        if (width > 0 && isDateColumn(c))
            width = std::max(width, dateWidth);
        if (width != kDefaultWidth)
            m_grid->setColumnWidth(c, width);
    }
    m_new->setEnabled(m_permissions.newJob);
    m_save->setEnabled(false);
    m_edit->setEnabled(m_permissions.editJob);
    m_delete->setEnabled(m_permissions.deleteJob);
}

int CWorkflowDlg::jobRowCount() const
{
    return m_grid->rowCount() - m_grid->fixedRowCount();
}

QDate CWorkflowDlg::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void CWorkflowDlg::fill(const QList<WorkflowJob> &jobs)
{
    GridModel::BatchScope batch(m_grid->gridModel());
    m_grid->setRowCount(1 + int(jobs.size()));
    m_serials.clear();
    m_serials.reserve(jobs.size());
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        fillRow(int(i) + 1, jobs[i]);
        m_serials.append(jobs[i].serial);
    }
}

void CWorkflowDlg::fillRow(int row, const WorkflowJob &job)
{
    const QStringList cells = JobRules::cellsOf(job, m_permissions);
    for (int c = 1; c < kCount; ++c) {
        if (!cells[c].isEmpty())
            m_grid->setText(row, c, cells[c]);
    }
    m_grid->setText(row, kPosition, QString::number(row));
    m_grid->setRowHeight(row, kRowHeight);
    markRow(row, job);
}

void CWorkflowDlg::markRow(int row, const WorkflowJob &job)
{
    m_grid->setImage(row, kPosition, JobRules::markImage(JobRules::markOf(job, today())));
}

QStringList CWorkflowDlg::rowCells(int row) const
{
    QStringList cells(kCount);
    for (int c = 0; c < kCount; ++c)
        cells[c] = m_grid->text(row, c);
    return cells;
}

void CWorkflowDlg::focusFirstJob()
{
    if (jobRowCount() <= 0)
        return;
    m_grid->setCurrentCell(1, kNumber);
    m_grid->scrollTo(m_grid->gridModel()->cellIndex(1, kNumber));
}

void CWorkflowDlg::stampDate(int row, int column)
{
    if (row < m_grid->fixedRowCount() || row >= m_grid->rowCount() || !isStampable(column, m_permissions))
        return;
    m_grid->setText(row, column, JobRules::dateText(today()));
}

void CWorkflowDlg::newJob()
{
    if (!m_permissions.newJob || m_offered)
        return;
    const Result<JobBook::Settings> settings = m_book.settings();
    if (!settings) {
        MessageBox::critical(this, settings.error());
        return;
    }
    if (settings->created)
        MessageBox::information(this, JobBook::missingSettingsMessage());
    const int before = m_grid->rowCount();
    const int row = m_grid->appendRow();
    m_serials.append(0);
    m_offered = settings->lastNumber + 1;
    m_grid->setRowHeight(row, kRowHeight);
    m_grid->setText(row, kPosition, QString::number(before));
    m_grid->setOptions(row, kUnit, settings->units);
    m_grid->setText(row, kUnit, settings->units.value(0));
    if (m_permissions.party) {
        m_grid->setOptions(row, kParty, parties());
        m_grid->setText(row, kParty, parties().constFirst());
        m_grid->setOptions(row, kPrintingMachine, printingMachines());
        m_grid->setText(row, kPrintingMachine, printingMachines().constFirst());
    }
    m_grid->setText(row, kNumber, QString::number(*m_offered));
    m_grid->setCurrentCell(row, kNumber);
    m_grid->scrollTo(m_grid->gridModel()->cellIndex(row, kNumber));
    m_new->setEnabled(false);
    m_edit->setEnabled(false);
    m_save->setEnabled(true);
}

void CWorkflowDlg::saveJob()
{
    if (!m_offered)
        return;
    const int row = m_grid->rowCount() - 1;
    const QStringList cells = rowCells(row);
    const Result<JobBook::Saved> saved = m_book.add(cells, m_permissions, m_offered);
    if (!saved) {
        if (saved.refused())
            MessageBox::warning(this, saved.error());
        else
            MessageBox::critical(this, saved.error());
        return;
    }
    m_offered.reset();
    m_serials.last() = saved->serial;
    // Plain cells from now on, like every other saved row.
    for (int c : {kUnit, kParty, kPrintingMachine})
        m_grid->setOptions(row, c, {});
    m_grid->setText(row, kNumber, QString::number(saved->number));
    if (const Result<WorkflowJob> job = JobRules::jobFromCells(rowCells(row), JobRules::newJob(), m_permissions))
        markRow(row, *job);
    afterSaveOrSearch();
}

void CWorkflowDlg::editJob()
{
    if (!m_permissions.editJob || m_offered)
        return;
    const int row = m_grid->currentRow();
    if (row < 1 || row > int(m_serials.size())) {
        MessageBox::information(this, tr("اختر العمل المراد تعديله"));
        return;
    }
    const Status s = m_book.change(m_serials[row - 1], rowCells(row), m_permissions);
    if (!s) {
        if (s.refused())
            MessageBox::warning(this, s.error());
        else
            MessageBox::critical(this, s.error());
        return;
    }
    if (const Result<WorkflowJob> job = JobRules::jobFromCells(rowCells(row), JobRules::newJob(), m_permissions))
        markRow(row, *job);
}

void CWorkflowDlg::deleteJob()
{
    if (!m_permissions.deleteJob)
        return;
    const int row = m_grid->currentRow();
    if (row < 1 || row > int(m_serials.size())) {
        MessageBox::information(this, tr("اختر العمل المراد حذفه"));
        return;
    }
    if (MessageBox::question(this, tr("متأكد من الحذف"), tr("تأكيد"), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No, QMessageBox::Information)
        != QMessageBox::Yes)
        return;
    const qint32 serial = m_serials[row - 1];
    if (serial != 0) {
        if (const Status s = m_book.remove(serial, m_permissions); !s) {
            MessageBox::warning(this, s.error());
            return;
        }
    } else {
        // The new row was never saved: it only leaves the grid.
        m_offered.reset();
        afterSaveOrSearch();
    }
    m_grid->removeRow(row);
    m_serials.removeAt(row - 1);
    {
        GridModel::BatchScope batch(m_grid->gridModel());
        for (int r = row; r < m_grid->rowCount(); ++r)
            m_grid->setText(r, kPosition, QString::number(r));
    }
    MessageBox::information(this, tr("تم الحذف"));
}

void CWorkflowDlg::printJobs()
{
    if (m_printer) {
        printOn(*m_printer);
        return;
    }
    auto *printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageOrientation(QPageLayout::Landscape);
    auto *dialog = new QPrintDialog(printer, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QAbstractPrintDialog::PrintToFile, false);
    connect(dialog, &QDialog::finished, this, [this, printer](int result) {
        if (result == QDialog::Accepted)
            printOn(*printer);
        delete printer;
    });
    dialog->open();
}

void CWorkflowDlg::printOn(QPrinter &printer)
{
    QList<QStringList> rows;
    rows.reserve(jobRowCount());
    for (int r = 1; r < m_grid->rowCount(); ++r)
        rows.append(rowCells(r));
    const PrintSheet sheet = printSheet(rows, m_permissions);
    if (JobGridPrinter::print(printer, sheet, windowTitle()) == 0)
        MessageBox::warning(this, tr("تعذرت الطباعة على الطابعة المختارة"));
}

void CWorkflowDlg::searchJobs()
{
    JobFilter filter;
    filter.status = JobSearch::leadingChoice(m_status->currentText());
    filter.stage = JobSearch::leadingChoice(m_stage->currentText());
    filter.numberFrom = m_from->text();
    filter.numberTo = m_to->text();
    filter.name = m_name->text();
    filter.reference = m_reference->text();
    filter.byDelivery = m_dated->isChecked();
    filter.deliveredFrom = m_deliveredFrom->date();
    filter.deliveredTo = m_deliveredTo->date();
    const Result<QList<WorkflowJob>> jobs = m_book.search(filter);
    if (!jobs) {
        if (jobs.refused())
            MessageBox::warning(this, jobs.error());
        else
            MessageBox::critical(this, jobs.error());
        return;
    }
    m_offered.reset();
    m_grid->removeNonFixedRows();
    fill(*jobs);
    focusFirstJob();
    afterSaveOrSearch();
}

void CWorkflowDlg::afterSaveOrSearch()
{
    m_new->setEnabled(m_permissions.newJob);
    m_edit->setEnabled(m_permissions.editJob);
    m_save->setEnabled(false);
}
