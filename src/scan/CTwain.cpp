#include "CTwain.h"

#include "ScanPage.h"

#include <QElapsedTimer>
#include <QThread>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

// Bytes asked of the device in one read: large reads go straight into the page's buffer.
constexpr qint64 kReadChunk = 1 << 20;
// A page of unknown height grows by this much at a time.
constexpr qint64 kGrowStep = 4 << 20;
// A colour page comes in at most three passes.
constexpr int kMaxPasses = 3;

// Asks the kernel for a fresh page buffer's memory in one go, in large pages where it can. Touched
// a small page at a time by the reads instead, a 25 MB colour page costs thousands of page
// faults, and on a virtual machine those took most of a page's time. Both requests are advice
// that changes no byte, so the range may safely reach out to whole pages around the buffer.
// Where the kernel cannot (older than 5.14), the buffer fills as before.
void populate(QByteArray &bytes)
{
#ifdef MADV_POPULATE_WRITE
    if (bytes.size() < (1 << 20))
        return;
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const auto begin = quintptr(bytes.data()) & ~(page - 1);
    const auto end = (quintptr(bytes.data()) + quintptr(bytes.size()) + page - 1) & ~(page - 1);
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(bytes);
#endif
}

ScanOption describe(int index, const SANE_Option_Descriptor &d)
{
    ScanOption o;
    o.index = index;
    o.name = QString::fromUtf8(d.name ? d.name : "");
    o.title = QString::fromUtf8(d.title ? d.title : "");
    o.description = QString::fromUtf8(d.desc ? d.desc : "");
    switch (d.type) {
    case SANE_TYPE_BOOL: o.type = ScanOption::Type::Bool; break;
    case SANE_TYPE_INT: o.type = ScanOption::Type::Int; break;
    case SANE_TYPE_FIXED: o.type = ScanOption::Type::Fixed; break;
    case SANE_TYPE_STRING: o.type = ScanOption::Type::String; break;
    case SANE_TYPE_BUTTON: o.type = ScanOption::Type::Button; break;
    default: o.type = ScanOption::Type::Group; break;
    }
    o.role = ScanOption::roleOf(o.name);
    o.unit = d.unit;
    o.valueSize = d.size;
    o.active = SANE_OPTION_IS_ACTIVE(d.cap);
    o.settable = SANE_OPTION_IS_SETTABLE(d.cap);
    o.advanced = (d.cap & SANE_CAP_ADVANCED) != 0;
    const bool fixed = d.type == SANE_TYPE_FIXED;
    auto number = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    switch (d.constraint_type) {
    case SANE_CONSTRAINT_RANGE:
        if (d.constraint.range) {
            o.constraint = ScanOption::Constraint::Range;
            o.minimum = number(d.constraint.range->min);
            o.maximum = number(d.constraint.range->max);
            o.step = number(d.constraint.range->quant);
        }
        break;
    case SANE_CONSTRAINT_WORD_LIST:
        if (d.constraint.word_list) {
            o.constraint = ScanOption::Constraint::List;
            for (SANE_Int i = 1; i <= d.constraint.word_list[0]; ++i)
                o.numbers.append(number(d.constraint.word_list[i]));
        }
        break;
    case SANE_CONSTRAINT_STRING_LIST:
        if (d.constraint.string_list) {
            o.constraint = ScanOption::Constraint::Strings;
            for (const SANE_String_Const *s = d.constraint.string_list; *s; ++s)
                o.strings.append(QString::fromUtf8(*s));
        }
        break;
    default: break;
    }
    return o;
}

bool isSingleValue(const ScanOption &o)
{
    if (o.type == ScanOption::Type::String)
        return o.valueSize > 0;
    if (o.type == ScanOption::Type::Bool || o.type == ScanOption::Type::Int || o.type == ScanOption::Type::Fixed)
        return o.valueSize == int(sizeof(SANE_Word));
    return false;
}

} // namespace

CTwain::CTwain(const QString &libraryFile) : m_library(std::make_unique<SaneLibrary>(libraryFile))
{
    if (m_library->isLoaded())
        m_api = m_library->api();
    else
        m_libraryProblem = m_library->problem();
}

CTwain::CTwain(const SaneApi &api) : m_api(api)
{
    if (!m_api.complete())
        m_libraryProblem = u"the scanner library is incomplete"_s;
}

CTwain::~CTwain()
{
    Release();
}

bool CTwain::Initialise()
{
    if (m_managerOpen)
        return true;
    if (!m_api.complete())
        return false;
    SANE_Int version = 0;
    const SANE_Status status = m_api.init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
        m_libraryProblem = u"sane_init: %1"_s.arg(m_api.statusText(status));
        return false;
    }
    if (SANE_VERSION_MAJOR(version) != SANE_CURRENT_MAJOR) {
        m_api.exit();
        m_libraryProblem = u"SANE %1 is not the version this program speaks"_s.arg(SANE_VERSION_MAJOR(version));
        return false;
    }
    m_managerOpen = true;
    return true;
}

void CTwain::Release()
{
    if (!m_managerOpen)
        return;
    CloseSource();
    m_api.exit();
    m_managerOpen = false;
}

QString CTwain::unavailableNote() const
{
    if (m_managerOpen)
        return {};
    return tr("المسح الضوئي غير متاح على هذا الجهاز (%1)").arg(m_libraryProblem);
}

Result<QList<ScanDevice>> CTwain::devices()
{
    if (!m_managerOpen)
        return Result<QList<ScanDevice>>::failure(unavailableNote());
    const SANE_Device **list = nullptr;
    const SANE_Status status = m_api.getDevices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD)
        return Result<QList<ScanDevice>>::failure(tr("تعذر البحث عن الماسحات الضوئية") + u"\n("_s
                                                  + m_api.statusText(status) + u')');
    QList<ScanDevice> found;
    for (const SANE_Device **d = list; d && *d; ++d) {
        found.append({QString::fromUtf8((*d)->name), QString::fromUtf8((*d)->vendor), QString::fromUtf8((*d)->model),
                      QString::fromUtf8((*d)->type)});
    }
    return found;
}

bool CTwain::SelectDefaultSource(const QString &remembered)
{
    const auto list = devices();
    if (!list || list->isEmpty())
        return false;
    for (const ScanDevice &d : *list) {
        if (!remembered.isEmpty() && d.name == remembered) {
            m_source = d.name;
            return true;
        }
    }
    m_source = list->constFirst().name;
    return true;
}

bool CTwain::ChooseSource(const QString &name)
{
    if (name.isEmpty())
        return isSourceSelected();
    if (name != m_source)
        CloseSource();
    m_source = name;
    return true;
}

Status CTwain::OpenDataSource(const QString &name)
{
    if (!m_managerOpen)
        return Status::failure(unavailableNote());
    if (!name.isEmpty())
        ChooseSource(name);
    if (m_handle)
        return {};
    if (m_source.isEmpty() && !SelectDefaultSource())
        return Status::refused(tr("لا يوجد ماسح ضوئي متصل بهذا الجهاز"));
    const QByteArray device = m_source.toUtf8();
    SANE_Handle handle = nullptr;
    const SANE_Status status = m_api.open(device.constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle)
        return Status::failure(tr("تعذر فتح الماسح الضوئي %1").arg(m_source) + u'\n' + deviceProblem(status));
    m_handle = handle;
    if (Status s = reloadOptions(); !s.ok()) {
        CloseSource();
        return s;
    }
    return {};
}

void CTwain::CloseSource()
{
    if (!m_handle)
        return;
    m_api.close(m_handle);
    m_handle = nullptr;
    m_options = {};
}

Status CTwain::reloadOptions()
{
    SANE_Int count = 0;
    const SANE_Option_Descriptor *first = m_api.getOptionDescriptor(m_handle, 0);
    if (!first || first->type != SANE_TYPE_INT
        || m_api.controlOption(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return Status::failure(tr("لم يعط الماسح الضوئي %1 قائمة خياراته").arg(m_source));
    QList<ScanOption> options;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *d = m_api.getOptionDescriptor(m_handle, i);
        if (!d)
            continue;
        ScanOption o = describe(i, *d);
        if (o.type == ScanOption::Type::Group || o.name.isEmpty())
            continue;
        const bool readable = o.active && (d->cap & SANE_CAP_SOFT_DETECT) && isSingleValue(o);
        if (readable) {
            QByteArray buffer(std::max<int>(o.valueSize, sizeof(SANE_Word)) + 1, '\0');
            if (m_api.controlOption(m_handle, i, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) == SANE_STATUS_GOOD) {
                SANE_Word w = 0;
                std::memcpy(&w, buffer.constData(), sizeof w);
                switch (o.type) {
                case ScanOption::Type::Bool: o.value = w != SANE_FALSE; break;
                case ScanOption::Type::Int: o.value = int(w); break;
                case ScanOption::Type::Fixed: o.value = SANE_UNFIX(w); break;
                case ScanOption::Type::String: o.value = QString::fromUtf8(buffer.constData()); break;
                default: break;
                }
            }
        }
        options.append(std::move(o));
    }
    m_options = ScanOptions(std::move(options));
    return {};
}

Status CTwain::setOption(const QString &name, const QVariant &value)
{
    const ScanOption *o = m_handle ? m_options.find(name) : nullptr;
    if (!o || !o->isEditable())
        return Status::refused(tr("الماسح الضوئي لا يقبل تغيير الخيار %1").arg(name));
    QByteArray buffer(std::max<int>(o->valueSize, sizeof(SANE_Word)), '\0');
    SANE_Word w = 0;
    bool ok = true;
    switch (o->type) {
    case ScanOption::Type::Bool: {
        const QString text = value.toString();
        w = (value.typeId() == QMetaType::Bool ? value.toBool() : (text == u"true"_s || text == u"1"_s)) ? SANE_TRUE
                                                                                                          : SANE_FALSE;
        break;
    }
    case ScanOption::Type::Int: w = SANE_Word(std::lround(value.toDouble(&ok))); break;
    case ScanOption::Type::Fixed: w = SANE_FIX(value.toDouble(&ok)); break;
    case ScanOption::Type::String: {
        const QByteArray text = value.toString().toUtf8();
        if (text.size() >= o->valueSize)
            ok = false;
        else
            std::memcpy(buffer.data(), text.constData(), size_t(text.size()));
        break;
    }
    default: ok = false; break;
    }
    if (!ok)
        return Status::refused(tr("القيمة %1 لا تصلح للخيار %2").arg(value.toString(), o->title));
    if (o->type != ScanOption::Type::String)
        std::memcpy(buffer.data(), &w, sizeof w);
    const int index = o->index;
    const QString title = o->title;
    SANE_Int info = 0;
    const SANE_Status status = m_api.controlOption(m_handle, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
    // Other options may have changed with this one, or the device may have rounded it.
    const Status reloaded = reloadOptions();
    if (status != SANE_STATUS_GOOD)
        return Status::refused(tr("رفض الماسح الضوئي قيمة الخيار %1").arg(title) + u'\n' + deviceProblem(status));
    return reloaded;
}

QStringList CTwain::applyValues(const QVariantMap &values)
{
    auto rank = [](ScanOption::Role r) {
        switch (r) {
        case ScanOption::Role::Source: return 0;
        case ScanOption::Role::Mode: return 1;
        case ScanOption::Role::Advanced: return 2;
        case ScanOption::Role::Resolution: return 3;
        default: return 4;
        }
    };
    QStringList names = values.keys();
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        return rank(ScanOption::roleOf(a)) < rank(ScanOption::roleOf(b));
    });
    QStringList taken;
    for (const QString &name : names) {
        const ScanOption *o = m_options.find(name);
        if (!o || !o->isEditable())
            continue;
        if (o->value.toString() == values.value(name).toString()) {
            taken.append(name);
            continue;
        }
        if (setOption(name, values.value(name)).ok())
            taken.append(name);
    }
    return taken;
}

QVariantMap CTwain::currentValues() const
{
    QVariantMap values;
    for (const ScanOption &o : m_options.all()) {
        if (o.isEditable())
            values.insert(o.name, o.value);
    }
    return values;
}

int CTwain::DecideTransfer(const ScanPageInfo &)
{
    return TransferImage;
}

void CTwain::TakeImage(const QImage &, const ScanPageInfo &) {}

void CTwain::PageProgress(const ScanPageInfo &, qint64) {}

void CTwain::cancel()
{
    m_cancelled = true;
    const std::lock_guard lock(m_readingLock);
    // SANE lets a reading be cancelled from outside the thread that reads.
    if (m_enabled && m_handle)
        m_api.cancel(m_handle);
}

SANE_Status CTwain::startFrame()
{
    SANE_Status status = SANE_STATUS_DEVICE_BUSY;
    for (int attempt = 0; attempt < m_limits.busyTries && !cancelled(); ++attempt) {
        status = m_api.start(m_handle);
        if (status != SANE_STATUS_DEVICE_BUSY)
            return status;
        QThread::msleep(ulong(m_limits.busyWaitMs));
    }
    return cancelled() ? SANE_STATUS_CANCELLED : status;
}

Status CTwain::waitForParameters(SANE_Parameters &p)
{
    SANE_Status status = SANE_STATUS_INVAL;
    for (int attempt = 0; attempt < m_limits.parameterTries && !cancelled(); ++attempt) {
        if (attempt > 0)
            QThread::msleep(ulong(m_limits.parameterWaitMs));
        p = {};
        status = m_api.getParameters(m_handle, &p);
        const bool usable = p.pixels_per_line > 0 && p.bytes_per_line > 0 && p.lines != 0
            && (p.depth == 1 || p.depth == 8 || p.depth == 16) && p.format <= SANE_FRAME_BLUE;
        if (status == SANE_STATUS_GOOD && usable)
            return {};
    }
    return Status::failure(tr("لم يعط الماسح الضوئي %1 أبعاد الصفحة بعد %2 محاولات").arg(m_source).arg(m_limits.parameterTries)
                           + (status != SANE_STATUS_GOOD ? u'\n' + deviceProblem(status) : QString()));
}

SANE_Status CTwain::readFrame(const SANE_Parameters &p, ScanPageInfo &info, qint64 &pageBytes, QByteArray &bytes,
                              QString &problem)
{
    const qint64 expected = p.lines > 0 ? qint64(p.bytes_per_line) * p.lines : -1;
    qint64 filled = 0;
    bytes.resize(expected > 0 ? expected : kGrowStep);
    populate(bytes);
    QByteArray overflow;
    QElapsedTimer sinceData;
    sinceData.start();
    const qint64 reportStep = std::max<qint64>(info.expectedBytes > 0 ? info.expectedBytes / 200 : 0, 16 * 1024);
    qint64 reported = 0;
    for (;;) {
        if (cancelled())
            return SANE_STATUS_CANCELLED;
        SANE_Byte *into = nullptr;
        qint64 room = 0;
        if (expected > 0 && filled >= expected) {
            // A device that sends more than it announced: what is past the page is read and dropped.
            overflow.resize(64 * 1024);
            into = reinterpret_cast<SANE_Byte *>(overflow.data());
            room = overflow.size();
        } else {
            if (filled == bytes.size())
                bytes.resize(bytes.size() + kGrowStep);
            into = reinterpret_cast<SANE_Byte *>(bytes.data()) + filled;
            room = std::min(kReadChunk, bytes.size() - filled);
        }
        SANE_Int length = 0;
        const SANE_Status status = m_api.read(m_handle, into, SANE_Int(room), &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            return status;
        if (length <= 0) {
            if (sinceData.elapsed() > m_limits.stallMs) {
                problem = tr("توقف الماسح الضوئي %1 عن ارسال الصفحة %2 منذ %3 ثانية")
                              .arg(m_source)
                              .arg(info.page)
                              .arg(m_limits.stallMs / 1000);
                return SANE_STATUS_IO_ERROR;
            }
            QThread::msleep(2);
            continue;
        }
        sinceData.restart();
        if (into != reinterpret_cast<SANE_Byte *>(overflow.data())) {
            filled += length;
            pageBytes += length;
        }
        if (pageBytes - reported >= reportStep) {
            reported = pageBytes;
            PageProgress(info, pageBytes);
        }
    }
    bytes.resize(filled);
    PageProgress(info, pageBytes);
    return SANE_STATUS_EOF;
}

ScanOutcome CTwain::endAcquisition(ScanOutcome outcome)
{
    const std::lock_guard lock(m_readingLock);
    // Ends the batch: a feeder's remaining pages stay in it.
    m_api.cancel(m_handle);
    m_enabled = false;
    if (m_cancelled && outcome.end == ScanOutcome::End::Failed)
        outcome = {ScanOutcome::End::Cancelled, outcome.pages, {}};
    // A cancel that arrived before the reading began counts for it; one after it ended does not
    // carry over to the next.
    m_cancelled = false;
    return outcome;
}

ScanOutcome CTwain::Acquire()
{
    ScanOutcome outcome;
    if (!m_handle) {
        if (Status s = OpenDataSource(); !s.ok())
            return {ScanOutcome::End::Failed, 0, s.error()};
    }
    const bool feeder = m_options.feederChosen();
    double resolution = 0;
    if (const ScanOption *r = m_options.find(ScanOption::Role::Resolution))
        resolution = r->value.toDouble();
    m_enabled = true;
    auto failed = [&](QString message) {
        outcome.end = ScanOutcome::End::Failed;
        outcome.message = std::move(message);
        return endAcquisition(outcome);
    };
    auto stopped = [&] {
        outcome.end = ScanOutcome::End::Cancelled;
        return endAcquisition(outcome);
    };

    for (int page = 1;; ++page) {
        ScanPage sheet;
        ScanPageInfo info;
        info.page = page;
        info.resolution = resolution;
        int decision = TransferImage;
        qint64 pageBytes = 0;
        while (sheet.frames().size() < kMaxPasses) {
            if (cancelled())
                return stopped();
            const SANE_Status started = startFrame();
            if (started == SANE_STATUS_NO_DOCS && page > 1 && sheet.frames().isEmpty())
                return endAcquisition(outcome);
            if (started == SANE_STATUS_CANCELLED)
                return stopped();
            if (started != SANE_STATUS_GOOD)
                return failed(deviceProblem(started));
            SANE_Parameters p{};
            if (Status s = waitForParameters(p); !s.ok())
                return cancelled() ? stopped() : failed(s.error());
            if (sheet.frames().isEmpty()) {
                info.width = p.pixels_per_line;
                info.height = p.lines;
                info.depth = p.depth;
                info.threePass = p.format >= SANE_FRAME_RED;
                info.channels = p.format == SANE_FRAME_GRAY ? 1 : 3;
                info.expectedBytes = p.lines > 0 ? qint64(p.bytes_per_line) * p.lines * (info.threePass ? 3 : 1) : -1;
                decision = DecideTransfer(info);
                if (decision == CancelAll)
                    return endAcquisition(outcome);
            }
            QByteArray bytes;
            QString problem;
            const SANE_Status read = readFrame(p, info, pageBytes, bytes, problem);
            if (read == SANE_STATUS_CANCELLED || cancelled())
                return stopped();
            if (read != SANE_STATUS_EOF)
                return failed(problem.isEmpty() ? deviceProblem(read) : problem);
            if (bytes.isEmpty())
                return failed(tr("لم يرسل الماسح الضوئي %1 أي بيانات للصفحة %2").arg(m_source).arg(page));
            sheet.addFrame(p, std::move(bytes));
            if (p.last_frame || !info.threePass)
                break;
        }
        if (decision == TransferImage) {
            const QImage picture = sheet.image();
            if (picture.isNull())
                return failed(tr("الصفحة %1 من الماسح الضوئي %2 ناقصة أو لا تطابق ما أعلنه عنها").arg(page).arg(m_source));
            info.height = picture.height();
            TakeImage(picture, info);
            ++outcome.pages;
        }
        if (!feeder)
            return endAcquisition(outcome);
    }
}

QString CTwain::deviceProblem(SANE_Status status) const
{
    QString reason;
    switch (status) {
    case SANE_STATUS_JAMMED: reason = tr("الورق عالق في مغذي الماسح الضوئي"); break;
    case SANE_STATUS_COVER_OPEN: reason = tr("غطاء الماسح الضوئي مفتوح"); break;
    case SANE_STATUS_NO_DOCS: reason = tr("لا توجد أوراق في مغذي الماسح الضوئي"); break;
    case SANE_STATUS_DEVICE_BUSY: reason = tr("الماسح الضوئي مشغول بعمل آخر"); break;
    case SANE_STATUS_IO_ERROR: reason = tr("انقطع الاتصال بالماسح الضوئي"); break;
    case SANE_STATUS_NO_MEM: reason = tr("لا تكفي الذاكرة لقراءة الصفحة"); break;
    case SANE_STATUS_ACCESS_DENIED: reason = tr("لا يسمح لهذا المستخدم باستعمال الماسح الضوئي"); break;
    case SANE_STATUS_UNSUPPORTED: reason = tr("الماسح الضوئي لا يدعم هذا الطلب"); break;
    case SANE_STATUS_INVAL: reason = tr("رفض الماسح الضوئي الاعدادات المطلوبة"); break;
    default: reason = tr("تعذر المسح الضوئي"); break;
    }
    return reason + u" ("_s + m_api.statusText(status) + u')';
}
