#include "ReportCopy.h"

#include "base/SystemError.h"

#include "base/Cp1256.h"
#include "cards/Archiver.h"
#include "cards/CopyOrder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {
struct ReportCopyTr
{
    Q_DECLARE_TR_FUNCTIONS(ReportCopy)
};
} // namespace

namespace ReportCopy {

QString cleanKeywords(const QString &keywords)
{
    QString cleaned = keywords;
    for (QChar &c : cleaned) {
        if (u"/*:\\\r>,\n\"?<"_s.contains(c))
            c = u' ';
    }
    return cleaned;
}

QString textFileName(const TextHit &hit)
{
    return cleanKeywords(hit.keywords) + u' ' + QString::number(hit.row) + u".txt"_s;
}

Result<int> orderFiles(const QString &programFolder, const QStringList &files, const QString &folder)
{
    QList<CopyOrder> orders;
    for (const QString &file : files) {
        CopyOrder order;
        order.source = file;
        order.destination = folder;
        orders.append(order);
    }
    const CopyHandOff handOff(programFolder, CopyHandOff::Copier::Second);
    if (Status s = handOff.append(orders); !s)
        return Result<int>::failure(s.error());
    const Result<QList<CopyOrder>> waiting = handOff.pending();
    if (!waiting)
        return Result<int>::failure(waiting.error());
    return int(waiting->size());
}

bool startCopier(const QString &programFolder)
{
    return QProcess::startDetached(Archiver::copierProgramIn(programFolder), {u"--list"_s, u"2"_s},
                                   programFolder + u"/COM"_s);
}

Status writeCrLfText(const QString &path, const QString &text)
{
    QString lines = text;
    lines.replace(u"\r\n"_s, u"\n"_s);
    lines.replace(u'\n', u"\r\n"_s);
    const Result<QByteArray> encoded = Cp1256::encode(lines);
    const QByteArray bytes = encoded.ok() ? *encoded : lines.toUtf8();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !commitWhole(file))
        return Status::failure(ReportCopyTr::tr("تعذر حفظ الملف %1").arg(QDir::toNativeSeparators(path)));
    return {};
}

Status writeTexts(const QString &folder, const QList<TextHit> &texts)
{
    for (const TextHit &hit : texts) {
        if (Status s = writeCrLfText(folder + u'/' + textFileName(hit), hit.text); !s)
            return s;
    }
    return {};
}

} // namespace ReportCopy
