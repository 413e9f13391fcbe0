#include "TextConversion.h"

#include "base/Cp1256.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Compared exactly: "report.Doc" is not one of them.
const QStringList kWordExtensions = {u"txt"_s, u"rtf"_s, u"doc"_s, u"TXT"_s, u"RTF"_s, u"DOC"_s, u"DOCX"_s, u"docx"_s};
// Compared without regard to letter case.
const QStringList kScanExtensions = {u"pdf"_s, u"jpg"_s, u"jpeg"_s, u"tif"_s, u"tiff"_s, u"png"_s};

} // namespace

QString TextConversion::extensionOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return {};
    return name.mid(dot + 1);
}

bool TextConversion::isConvertible(const QString &path)
{
    const QString ext = extensionOf(path);
    return kWordExtensions.contains(ext) || kScanExtensions.contains(ext, Qt::CaseInsensitive);
}

QString TextConversion::notTextMessage()
{
    return tr("الملف غير نصي");
}

QString TextConversion::converterProgram(const QString &programFolder)
{
    const QFileInfo own(programFolder + u"/COM/dovrelle-mw"_s);
    if (own.isExecutable())
        return own.absoluteFilePath();
    return QCoreApplication::applicationDirPath() + u"/dovrelle-mw"_s;
}

std::optional<int> TextConversion::announcedPages(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith("pages "))
        return std::nullopt;
    bool ok = false;
    const int n = t.mid(6).toInt(&ok);
    return ok && n >= 0 ? std::optional<int>(n) : std::nullopt;
}

std::optional<int> TextConversion::announcedPage(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith("page "))
        return std::nullopt;
    bool ok = false;
    const int n = t.mid(5).toInt(&ok);
    return ok && n >= 0 ? std::optional<int>(n) : std::nullopt;
}

TextConversion::TextConversion(QString handOffFolder) : m_folder(std::move(handOffFolder)) {}

TextConversion::~TextConversion()
{
    release();
}

QString TextConversion::inputPath() const
{
    return m_folder + u"/1.tmp"_s;
}

QString TextConversion::outputPath() const
{
    return m_folder + u"/fdata.txt"_s;
}

QString TextConversion::lockPath() const
{
    return m_folder + u"/convert.lock"_s;
}

Status TextConversion::prepare(const QString &path)
{
    QDir().mkpath(m_folder);
    if (!m_lock) {
        auto lock = std::make_unique<QLockFile>(lockPath());
        // A lock left by a conversion whose program is gone is taken over.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            return Status::refused(tr("يجري استخراج نص ملف آخر الآن، انتظر حتى ينتهي"));
        m_lock = std::move(lock);
    }
    QFile::remove(inputPath());
    QFile output(outputPath());
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        release();
        return Status::failure(tr("تعذر تفريغ الملف %1").arg(QDir::toNativeSeparators(outputPath())));
    }
    output.close();
    if (!QFile::copy(path, inputPath())) {
        release();
        return Status::failure(tr("تعذر نسخ الملف %1 للتحويل").arg(QDir::toNativeSeparators(path)));
    }
    return {};
}

Result<QString> TextConversion::takeText() const
{
    QFile output(outputPath());
    if (!output.open(QIODevice::ReadOnly) || output.size() == 0)
        return Result<QString>::failure(tr("لم يكتب برنامج التحويل اي نص من الملف"));
    return Cp1256::decode(output.read(kTakenBytes));
}

void TextConversion::release()
{
    if (!m_lock)
        return;
    QFile::remove(inputPath());
    m_lock->unlock();
    m_lock.reset();
}
