#include "ArchiveSetup.h"

#include "base/PathsFile.h"
#include "base/SettingsFiles.h"
#include "db/AllocationLock.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "users/PasswordHash.h"
#include "users/UserAdmin.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

void registerCoreResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(dovrelle);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

struct ArchiveSetupTr
{
    Q_DECLARE_TR_FUNCTIONS(ArchiveSetup)
};

// Where the program keeps the pictures that stand for files of other kinds.
constexpr auto kTypeIconResources = u":/icons/types";

Status makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return Status::failure(ArchiveSetupTr::tr("تعذر انشاء المجلد %1").arg(QDir::toNativeSeparators(path)));
    return {};
}

bool holdsArchive(const QString &programFolder, const QString &dbFolder)
{
    if (!PathsFile::read(programFolder).firstRun)
        return true;
    for (DbFile f : {DbFile::Archive, DbFile::Classes, DbFile::Users}) {
        if (QFileInfo::exists(dbFolder + u'/' + Database::sqliteFileName(f)))
            return true;
    }
    return QFileInfo::exists(Database::serverConfPath(dbFolder));
}

// The nearest folder at or above `folder` that is a program folder (it has a paths file); empty
// when there is none.
QString programFolderAbove(const QString &folder)
{
    QDir dir(QDir::cleanPath(folder));
    for (;;) {
        if (QFileInfo::exists(PathsFile::path(dir.path())))
            return dir.path();
        if (dir.isRoot() || !dir.cdUp())
            return {};
    }
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() ? ca == cb : QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

std::optional<ForeignArchive> foreignArchive(const AppState &state)
{
    if (state.firstRun)
        return std::nullopt;
    for (const QString &folder : {state.databaseFolder, state.fileServerFolder}) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        const QString owner = programFolderAbove(folder);
        if (owner.isEmpty() || sameFolder(owner, state.programFolder))
            continue;
        // A program folder that never named an archive is not one somebody works in.
        if (PathsFile::read(owner).firstRun)
            continue;
        return ForeignArchive{owner, state.databaseFolder, state.fileServerFolder};
    }
    return std::nullopt;
}

QString foreignArchiveMessage(const ForeignArchive &foreign)
{
    return ArchiveSetupTr::tr("مسارات هذا البرنامج تشير إلى أرشيف مجلد برنامج آخر: %1\n"
                         "سيعمل البرنامج على ذلك الأرشيف: قاعدة البيانات في %2 وخادم الملفات في %3، "
                         "وكل ما يؤرشف سيكتب فيه.\n"
                         "لاستعمال أرشيف هذا المجلد غيّر \"مخدم البيانات\" و\"خادم الملفات\" في اعدادات النظام.")
        .arg(QDir::toNativeSeparators(foreign.programFolder), QDir::toNativeSeparators(foreign.databaseFolder),
             QDir::toNativeSeparators(foreign.fileServerFolder));
}

QString typeIconsFolder(const QString &programFolder)
{
    return programFolder + u"/COM/ICONS"_s;
}

QStringList shippedTypeIcons()
{
    registerCoreResources();
    return QDir(QString::fromUtf16(kTypeIconResources)).entryList(QDir::Files, QDir::Name);
}

Status installTypeIcons(const QString &programFolder)
{
    const QString target = typeIconsFolder(programFolder);
    if (Status s = makeFolder(target); !s)
        return s;
    for (const QString &name : shippedTypeIcons()) {
        const QString dest = target + u'/' + name;
        // An icon the office replaced with its own stays.
        if (QFileInfo::exists(dest))
            continue;
        const QString source = QString::fromUtf16(kTypeIconResources) + u'/' + name;
        const QString partial = dest + u".part"_s;
        QFile::remove(partial);
        if (!QFile::copy(source, partial)) {
            QFile::remove(partial);
            return Status::failure(ArchiveSetupTr::tr("تعذر نسخ الأيقونة %1").arg(QDir::toNativeSeparators(dest)));
        }
        // Resource files come out read-only; the archive's copies belong to the office.
        QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                           | QFileDevice::ReadOther);
        if (!QFile::rename(partial, dest)) {
            QFile::remove(partial);
            return Status::failure(ArchiveSetupTr::tr("تعذر نسخ الأيقونة %1").arg(QDir::toNativeSeparators(dest)));
        }
    }
    return {};
}

QString masterPasswordProblem(const QString &password)
{
    if (password == QLatin1StringView(kDefaultPassword))
        return ArchiveSetupTr::tr("كلمة المرور %1 يعرضها نموذج الدخول على الجميع؛ اختر غيرها للمستخدم MASTER").arg(password);
    return {};
}

Status createArchive(const QString &programFolder, const QString &serverUri, QDate startDate,
                     const QString &masterPassword)
{
    if (QString problem = masterPasswordProblem(masterPassword); !problem.isEmpty())
        return Status::refused(problem);
    QString password = masterPassword;
    if (password.isEmpty()) {
        Result<QString> random = PasswordHash::random();
        if (!random)
            return Status::failure(random.error());
        password = *random;
    }
    const QString home = QDir(programFolder).absolutePath();
    const QString dbFolder = home + u"/DataBase"_s;
    const QString fileServer = home + u"/FileServer"_s;
    if (holdsArchive(home, dbFolder))
        return Status::failure(ArchiveSetupTr::tr("يوجد أرشيف في المجلد %1؛ لن يكتب فوقه").arg(QDir::toNativeSeparators(home)));

    PathsFile::Values paths;
    paths[PathsFile::DatabaseFolder] = PathsFile::storedFolder(home, dbFolder);
    paths[PathsFile::FileServerFolder] = PathsFile::storedFolder(home, fileServer);
    paths[PathsFile::StartDate] = PathsFile::formatStartDate(startDate.isValid() ? startDate : QDate::currentDate());
    // Checked before anything is made: a home too long for the paths file writes nothing.
    if (Result<QByteArray> composed = PathsFile::compose(paths); !composed)
        return Status::failure(composed.error());

    for (const QString &folder : {home + u"/COM/ICONS"_s, dbFolder, fileServer + u"/Ser1"_s}) {
        if (Status s = makeFolder(folder); !s)
            return s;
    }

    if (!serverUri.isEmpty()) {
        if (Result<ServerConfig> config = ServerConfig::parse(serverUri); !config)
            return Status::failure(config.error());
        QFile conf(Database::serverConfPath(dbFolder));
        if (!conf.open(QIODevice::WriteOnly) || conf.write(serverUri.toUtf8() + '\n') < 0)
            return Status::failure(ArchiveSetupTr::tr("تعذرت كتابة الملف server.conf"));
        conf.close();
        conf.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    Result<Database> db = Database::open(dbFolder, Database::OpenMode::Create);
    if (!db)
        return Status::failure(db.error());
    if (db->engine() == Engine::PostgreSQL) {
        Result<int> existing = Schema::version(*db, DbFile::Archive);
        if (!existing)
            return Status::failure(existing.error());
        if (*existing > 0)
            return Status::failure(ArchiveSetupTr::tr("قاعدة البيانات على الخادم تحوي أرشيفا؛ لن يكتب فوقه"));
    }
    if (Status s = Schema::upgrade(*db); !s)
        return s;

    NewUser master;
    master.name = u"MASTER"_s;
    master.password = password;
    master.allRights = true;
    if (Result<qint32> id = addUser(*db, master); !id)
        return Status::failure(id.error());

    FeedList feeds;
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i)
        feeds[i].number = i + 1;
    Status s = SettingsFiles::writeFeeds(dbFolder, feeds);
    if (s)
        s = SettingsFiles::writeCompanyName(dbFolder, {});
    if (s)
        s = SettingsFiles::clearUnusedCons(dbFolder);
    if (s)
        s = SettingsFiles::writeSeriesBudget(dbFolder, kDefaultSeriesBudget);
    if (s)
        s = SettingsFiles::writeSeriesNumber(dbFolder, 1);
    if (s)
        s = AllocationLock::reset(dbFolder);
    if (s)
        s = installTypeIcons(home);
    // The paths file goes last: until it is there the folder does not count as an archive.
    if (s)
        s = PathsFile::write(home, paths);
    return s;
}
