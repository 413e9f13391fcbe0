#include "OfficeConverter.h"

#include "PlainTextReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <csignal>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<pid_t> g_group{0};

} // namespace

QString OfficeConverter::program()
{
    for (const QString &name : {u"soffice"_s, u"libreoffice"_s}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

pid_t OfficeConverter::runningGroup()
{
    return g_group.load();
}

Result<QString> OfficeConverter::read(const QString &path, const QString &extension, int timeoutMs)
{
    const QString office = program();
    if (office.isEmpty())
        return Result<QString>::failure(tr("برنامج LibreOffice Writer غير مثبت، وهو يلزم لملفات doc و rtf"));
    QTemporaryDir work;
    if (!work.isValid())
        return Result<QString>::failure(tr("تعذر انشاء مجلد مؤقت للتحويل"));
    // LibreOffice chooses its reader by the name as well as by the bytes.
    const QString input = work.filePath(u"input."_s + extension);
    if (!QFile::copy(path, input))
        return Result<QString>::failure(tr("تعذر نسخ الملف الى مجلد التحويل"));
    const QString profile = QUrl::fromLocalFile(work.filePath(u"profile"_s)).toString();

    QProcess soffice;
    soffice.setProgram(office);
    soffice.setArguments({u"-env:UserInstallation="_s + profile, u"--headless"_s, u"--invisible"_s, u"--nologo"_s,
                          u"--norestore"_s, u"--nodefault"_s, u"--nolockcheck"_s, u"--convert-to"_s,
                          u"txt:Text (encoded):UTF8"_s, u"--outdir"_s, work.path(), input});
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    // Its own process group, so that stopping it stops the helper processes it starts as well.
    soffice.setChildProcessModifier([] { ::setpgid(0, 0); });
    soffice.start();
    if (!soffice.waitForStarted(10000))
        return Result<QString>::failure(tr("تعذر تشغيل LibreOffice: %1").arg(soffice.errorString()));
    g_group.store(pid_t(soffice.processId()));
    const bool finished = soffice.waitForFinished(timeoutMs);
    const pid_t group = g_group.exchange(0);
    if (!finished) {
        ::kill(-group, SIGKILL);
        soffice.waitForFinished(2000);
        return Result<QString>::failure(tr("لم ينه LibreOffice التحويل في الوقت المحدد"));
    }
    ::kill(-group, SIGKILL); // whatever it left behind
    QFile text(work.filePath(u"input.txt"_s));
    if (soffice.exitStatus() != QProcess::NormalExit || !text.open(QIODevice::ReadOnly)) {
        const QString said = QString::fromLocal8Bit(soffice.readAll()).simplified();
        return Result<QString>::failure(tr("تعذر على LibreOffice قراءة الملف %1").arg(said.left(200)));
    }
    return PlainTextReader::decode(text.readAll());
}
