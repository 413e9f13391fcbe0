#include "FolderSheetLoader.h"

#include "baskets/Transfer.h"
#include "imaging/Thumbnail.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

struct IconRule
{
    const char16_t *extension;
    const char16_t *icon;
};

// Compared with the extension in upper case.
constexpr IconRule kIconRules[] = {
    {u"DOC", u"word.jpg"}, {u"RTF", u"word.jpg"}, {u"TXT", u"text.jpg"}, {u"MDB", u"mdb.jpg"},
    {u"HTM", u"htm.jpg"},  {u"HTML", u"htm.jpg"}, {u"XLS", u"xls.jpg"},  {u"PDF", u"pdf.jpg"},
    {u"DLL", u"dlb.jpg"},  {u"OCX", u"dlb.jpg"},  {u"ZIP", u"zip.jpg"},  {u"DAT", u"dat.jpg"},
    {u"EXE", u"exe.jpg"},  {u"CHM", u"chm.jpg"},
};
constexpr char16_t kAnyIcon[] = u"any.jpg";

// Compared exactly: "JPG" and "jpg" are pictures, "Jpg" is not.
constexpr const char16_t *kPictureExtensions[] = {
    u"bmp", u"jpg", u"JPG", u"gif", u"png", u"ico", u"tiff", u"tif", u"tga", u"pcx", u"wbmp",
    u"wmf", u"emf", u"jp2", u"j2k", u"jpc", u"j2c", u"pgx", u"ras", u"pnm", u"pgm", u"ppm",
};

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

QString FolderSheetLoader::extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool FolderSheetLoader::isPictureExtension(const QString &extension)
{
    for (const char16_t *picture : kPictureExtensions) {
        if (extension == QStringView(picture))
            return true;
    }
    return false;
}

QString FolderSheetLoader::iconFile(const QString &extension)
{
    const QString upper = extension.toUpper();
    for (const IconRule &rule : kIconRules) {
        if (upper == QStringView(rule.extension))
            return u"/COM/ICONS/"_s + QStringView(rule.icon).toString();
    }
    return u"/COM/ICONS/"_s + QStringView(kAnyIcon).toString();
}

FolderSheetLoader::FolderSheetLoader(QString programFolder, QObject *parent)
    : QObject(parent), m_program(std::move(programFolder)), m_loader(new BackgroundLoader(this))
{
    connect(m_loader, &BackgroundLoader::finished, this, &FolderSheetLoader::finished);
}

FolderSheetLoader::~FolderSheetLoader() { stop(); }

bool FolderSheetLoader::isRunning() const { return m_loader->isRunning(); }

bool FolderSheetLoader::stop() { return m_loader->stop(BackgroundLoader::Pending::Drop, kStopWaitMs); }

void FolderSheetLoader::start(const QString &folder)
{
    m_loader->start([folder, program = m_program, loader = this](const BackgroundLoader::Run &run) {
        const QStringList names = listFolderFiles(folder);
        run.deliver([loader, names] { Q_EMIT loader->listed(names); });
        // Fillers and most other files share a few icons; each is decoded once per run.
        QHash<QString, QImage> icons;
        const auto iconThumbnail = [&](const QString &icon) {
            auto it = icons.constFind(icon);
            if (it == icons.constEnd())
                it = icons.insert(icon, Thumbnail::make(program + icon));
            return *it;
        };
        const qsizetype pairs = (names.size() + kColumns - 1) / kColumns;
        const qsizetype cells = std::min<qsizetype>(pairs * kColumns, kThumbnailSlots);
        for (qsizetype s = 0; s < cells; ++s) {
            if (run.stopRequested())
                break;
            const QString name = s < names.size() ? names.at(s) : QString();
            const QString extension = extensionOf(name);
            const QImage image = !name.isEmpty() && isPictureExtension(extension) ? Thumbnail::make(joined(folder, name))
                                                                                   : iconThumbnail(iconFile(extension));
            run.deliver([loader, slot = int(s), image] { Q_EMIT loader->thumbnail(slot, image); });
        }
    });
}
