#include "JobRules.h"

#include "base/AppState.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct JobRulesTr
{
    Q_DECLARE_TR_FUNCTIONS(JobRules)
};

// The shortest stage cell that holds a date: "1/1" and the like mean no date.
constexpr int kShortestStageDate = 5;
// Stage dates before this year are the "no date" mark.
constexpr int kFirstStageYear = 2000;
// An unfinished job is overdue this many months after its delivery date.
constexpr int kOverdueMonths = 2;

constexpr int kOverdueImage = 0;
constexpr int kFinishedImage = 1;

constexpr int kPositionWidth = 40;

} // namespace

WorkflowPermissions WorkflowPermissions::of(const UserRow &user)
{
    WorkflowPermissions p;
    p.party = isGranted(user.partyStage);
    p.printing = isGranted(user.printingStage);
    p.binding = isGranted(user.bindingStage);
    p.warehouse = isGranted(user.warehouseStage);
    p.newJob = isGranted(user.newJob);
    p.editJob = isGranted(user.editJob);
    p.finishJob = isGranted(user.finishJob);
    p.deleteJob = isGranted(user.deleteJob);
    return p;
}

WorkflowPermissions WorkflowPermissions::all()
{
    return {true, true, true, true, true, true, true, true};
}

bool WorkflowPermissions::any() const
{
    return party || printing || binding || warehouse || newJob || editJob || finishJob || deleteJob;
}

namespace JobColumns {

const QList<Column> &all()
{
    static const QList<Column> columns = [] {
        QList<Column> c(kCount);
        c[kPosition] = {QString(), kPositionWidth, JobStage::None};
        c[kAttachments] = {JobRulesTr::tr("مرفقات"), 0, JobStage::None};
        c[kEstimatedDuration] = {JobRulesTr::tr("المدة التقديرية"), 0, JobStage::None};
        c[kWarehouseNotes] = {JobRulesTr::tr("ملاحظات المستودع"), kDefaultWidth, JobStage::Warehouse};
        c[kWarehouseDate] = {JobRulesTr::tr("المستودع"), 70, JobStage::Warehouse};
        c[kBindingNotes] = {JobRulesTr::tr("ملاحظات التجليد"), 100, JobStage::Binding};
        c[kReceiptRecord] = {JobRulesTr::tr("ضبط الاستلام"), 70, JobStage::Binding};
        c[kBindingDate] = {JobRulesTr::tr("تجليد"), 70, JobStage::Binding};
        c[kPrintingNotes] = {JobRulesTr::tr("ملاحظات الطبع"), 100, JobStage::Printing};
        c[kTransferNumber] = {JobRulesTr::tr("رقم التحويل"), 60, JobStage::Printing};
        c[kPrintingDate] = {JobRulesTr::tr("طبع"), 70, JobStage::Printing};
        c[kPartyNotes] = {JobRulesTr::tr("ملاحظات الجهة"), 100, JobStage::Party};
        c[kPrintingMachine] = {JobRulesTr::tr("آلة الطباعة"), 80, JobStage::Party};
        c[kParty] = {JobRulesTr::tr("الجهة"), 60, JobStage::Party};
        c[kDelivery] = {JobRulesTr::tr("التسليم"), 70, JobStage::None};
        c[kUnit] = {JobRulesTr::tr("الوحدة"), 50, JobStage::None};
        c[kQuantity] = {JobRulesTr::tr("الكمية"), 50, JobStage::None};
        c[kOwner] = {JobRulesTr::tr("عائديتها"), 110, JobStage::None};
        c[kPublicationName] = {JobRulesTr::tr("اسم المطبوعة"), 110, JobStage::None};
        c[kCommercial] = {JobRulesTr::tr("التجاري"), 90, JobStage::None};
        c[kIncoming] = {JobRulesTr::tr("الوارد"), 70, JobStage::None};
        c[kNumber] = {JobRulesTr::tr("الرقم"), 40, JobStage::None};
        return c;
    }();
    return columns;
}

JobStage stageOf(int column)
{
    return column >= 0 && column < kCount ? all()[column].stage : JobStage::None;
}

bool stagePermitted(JobStage stage, const WorkflowPermissions &p)
{
    switch (stage) {
    case JobStage::None: return true;
    case JobStage::Party: return p.party;
    case JobStage::Printing: return p.printing;
    case JobStage::Binding: return p.binding;
    case JobStage::Warehouse: return p.warehouse;
    }
    return false;
}

bool isVisible(int column, const WorkflowPermissions &permissions)
{
    return openingWidth(column, permissions) != 0;
}

int openingWidth(int column, const WorkflowPermissions &permissions)
{
    if (column < 0 || column >= kCount)
        return 0;
    if (column == kPosition)
        return permissions.finishJob ? kPositionWidth + 1 : kPositionWidth;
    const Column &c = all()[column];
    return stagePermitted(c.stage, permissions) ? c.width : 0;
}

bool isDateColumn(int column)
{
    return column == kDelivery || column == kPrintingDate || column == kBindingDate || column == kWarehouseDate;
}

bool isStampable(int column, const WorkflowPermissions &permissions)
{
    return isDateColumn(column) && stagePermitted(stageOf(column), permissions);
}

QList<int> printedColumns(const WorkflowPermissions &permissions)
{
    static const QList<int> kNeverPrinted = {kPosition,    kWarehouseNotes,  kBindingNotes, kPrintingNotes,
                                             kPartyNotes,  kPrintingMachine, kCommercial,   kIncoming};
    QList<int> columns;
    // Right to left, as on screen: the number first.
    for (int c = kCount - 1; c >= 0; --c) {
        if (isVisible(c, permissions) && !kNeverPrinted.contains(c))
            columns.append(c);
    }
    return columns;
}

PrintSheet printSheet(const QList<QStringList> &rowCells, const WorkflowPermissions &permissions)
{
    PrintSheet sheet;
    sheet.columns = printedColumns(permissions);
    for (int c : sheet.columns) {
        sheet.headers.append(all()[c].header);
        const int width = openingWidth(c, permissions);
        sheet.widths.append(width == kDefaultWidth ? 80 : width);
    }
    sheet.rows.reserve(rowCells.size());
    for (const QStringList &cells : rowCells) {
        QStringList row;
        for (int c : sheet.columns)
            row.append(cells.value(c));
        sheet.rows.append(row);
    }
    return sheet;
}

QStringList parties()
{
    return {JobRulesTr::tr("مونتاج"), JobRulesTr::tr("حاسب"), JobRulesTr::tr("رصاصي"), JobRulesTr::tr("ريزو")};
}

QStringList printingMachines()
{
    return {u"GTO/1"_s,           JobRulesTr::tr("كليشة"), JobRulesTr::tr("مروحية"), JobRulesTr::tr("أربعة ألوان"),
            u"50 X 70"_s,         u"70 X 100"_s,          u"50 X 35"_s};
}

} // namespace JobColumns

namespace JobRules {

using namespace JobColumns;

QDateTime noStageDate()
{
    return QDate(1999, 1, 1).startOfDay();
}

QString dateText(const QDate &date)
{
    return u"%1/%2/%3"_s.arg(date.day()).arg(date.month()).arg(date.year());
}

std::optional<qint32> parseNumber(const QString &text)
{
    QString digits = text.trimmed();
    for (QChar &ch : digits) {
        const char16_t u = ch.unicode();
        if (u >= 0x0660 && u <= 0x0669)
            ch = QChar(u'0' + (u - 0x0660));
        else if (u >= 0x06F0 && u <= 0x06F9)
            ch = QChar(u'0' + (u - 0x06F0));
    }
    if (digits.isEmpty())
        return 0;
    bool ok = false;
    const qint32 value = digits.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QDate> parseDate(const QString &text)
{
    const qsizetype first = text.indexOf(u'/');
    const qsizetype last = text.lastIndexOf(u'/');
    if (first < 0 || last == first)
        return std::nullopt;
    const std::optional<qint32> day = parseNumber(text.left(first));
    const std::optional<qint32> month = parseNumber(text.mid(first + 1, last - first - 1));
    const std::optional<qint32> year = parseNumber(text.mid(last + 1));
    if (!day || !month || !year)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString deliveryText(const QDateTime &date)
{
    return date.isValid() ? dateText(date.date()) : QString();
}

QString stageText(const QDateTime &date)
{
    return date.isValid() && date.date().year() >= kFirstStageYear ? dateText(date.date()) : QString();
}

Status applyStage(const QString &cell, QDateTime &date, bool &done, const QString &columnHeader)
{
    const QString text = cell.trimmed();
    if (text.size() < kShortestStageDate) {
        date = noStageDate();
        done = false;
        return {};
    }
    const std::optional<QDate> parsed = parseDate(text);
    if (!parsed)
        return Status::refused(JobRulesTr::tr("التاريخ \"%1\" في عمود %2 غير صحيح، يكتب يوم/شهر/سنة").arg(text, columnHeader));
    date = parsed->startOfDay();
    done = true;
    return {};
}

Mark markOf(const WorkflowJob &job, const QDate &today)
{
    if (!job.deliveryDate.isValid())
        return Mark::None;
    if (job.warehouseDone)
        return Mark::Finished;
    // Real dates, years included: delivered on 10 March, overdue from 11 May of that year.
    if (today > job.deliveryDate.date().addMonths(kOverdueMonths))
        return Mark::Overdue;
    return Mark::None;
}

int markImage(Mark mark)
{
    switch (mark) {
    case Mark::Overdue: return kOverdueImage;
    case Mark::Finished: return kFinishedImage;
    case Mark::None: break;
    }
    return -1;
}

WorkflowJob newJob()
{
    WorkflowJob job;
    job.printingDate = job.bindingDate = job.warehouseDate = noStageDate();
    return job;
}

QStringList cellsOf(const WorkflowJob &job, const WorkflowPermissions &p)
{
    QStringList cells(kCount);
    cells[kNumber] = QString::number(job.number);
    cells[kIncoming] = job.incoming;
    cells[kCommercial] = job.commercial;
    cells[kPublicationName] = job.publicationName;
    cells[kOwner] = job.owner;
    cells[kQuantity] = QString::number(job.quantity);
    cells[kUnit] = job.unit;
    cells[kDelivery] = deliveryText(job.deliveryDate);
    cells[kEstimatedDuration] = QString::number(job.estimatedDuration);
    if (p.party) {
        cells[kParty] = job.party;
        cells[kPrintingMachine] = job.printingMachine;
        cells[kPartyNotes] = job.partyNotes;
    }
    if (p.printing) {
        cells[kPrintingDate] = stageText(job.printingDate);
        cells[kTransferNumber] = QString::number(job.transferNumber);
        cells[kPrintingNotes] = job.printingNotes;
    }
    if (p.binding) {
        cells[kBindingDate] = stageText(job.bindingDate);
        cells[kReceiptRecord] = QString::number(job.receiptRecord);
        cells[kBindingNotes] = job.bindingNotes;
    }
    if (p.warehouse) {
        cells[kWarehouseDate] = stageText(job.warehouseDate);
        cells[kWarehouseNotes] = job.warehouseNotes;
    }
    return cells;
}

namespace {

Status readNumber(const QStringList &cells, int column, qint32 &into)
{
    const std::optional<qint32> n = parseNumber(cells.value(column));
    if (!n)
        return Status::refused(JobRulesTr::tr("القيمة \"%1\" في عمود %2 ليست رقما").arg(cells.value(column).trimmed(), all()[column].header));
    into = *n;
    return {};
}

} // namespace

Result<WorkflowJob> jobFromCells(const QStringList &cells, const WorkflowJob &stored, const WorkflowPermissions &p)
{
    WorkflowJob job = stored;
    Status s = readNumber(cells, kNumber, job.number);
    if (s)
        s = readNumber(cells, kQuantity, job.quantity);
    if (s)
        s = readNumber(cells, kEstimatedDuration, job.estimatedDuration);
    job.incoming = cells.value(kIncoming);
    job.commercial = cells.value(kCommercial);
    job.publicationName = cells.value(kPublicationName);
    job.owner = cells.value(kOwner);
    job.unit = cells.value(kUnit);
    if (s && !cells.value(kDelivery).trimmed().isEmpty()) {
        const std::optional<QDate> delivery = parseDate(cells.value(kDelivery).trimmed());
        if (delivery)
            job.deliveryDate = delivery->startOfDay();
        else
            s = Status::refused(JobRulesTr::tr("التاريخ \"%1\" في عمود %2 غير صحيح، يكتب يوم/شهر/سنة")
                                    .arg(cells.value(kDelivery).trimmed(), all()[kDelivery].header));
    }
    if (p.party) {
        job.party = cells.value(kParty);
        job.printingMachine = cells.value(kPrintingMachine);
        job.partyNotes = cells.value(kPartyNotes);
    }
    if (s && p.printing) {
        s = applyStage(cells.value(kPrintingDate), job.printingDate, job.printingDone, all()[kPrintingDate].header);
        if (s)
            s = readNumber(cells, kTransferNumber, job.transferNumber);
        job.printingNotes = cells.value(kPrintingNotes);
    }
    if (s && p.binding) {
        s = applyStage(cells.value(kBindingDate), job.bindingDate, job.bindingDone, all()[kBindingDate].header);
        if (s)
            s = readNumber(cells, kReceiptRecord, job.receiptRecord);
        job.bindingNotes = cells.value(kBindingNotes);
    }
    if (s && p.warehouse) {
        s = applyStage(cells.value(kWarehouseDate), job.warehouseDate, job.warehouseDone, all()[kWarehouseDate].header);
        job.warehouseNotes = cells.value(kWarehouseNotes);
    }
    if (!s)
        return Result<WorkflowJob>::failure(s.kind(), s.error());
    return job;
}

QStringList unitsOf(const WorkflowJob &settings)
{
    QStringList units;
    for (const QString *unit : {&settings.publicationName, &settings.owner, &settings.party, &settings.partyNotes,
                                &settings.printingNotes, &settings.bindingNotes, &settings.warehouseNotes,
                                &settings.unit, &settings.commercial, &settings.printingMachine}) {
        if (!unit->isEmpty())
            units.append(*unit);
    }
    return units;
}

} // namespace JobRules
