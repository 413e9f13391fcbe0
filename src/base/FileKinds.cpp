#include "FileKinds.h"

#include <cstddef>

using namespace Qt::Literals::StringLiterals;

namespace FileKinds {
namespace {

enum Window { Report = 1, Browser = 2, Both = Report | Browser };

struct IconRule
{
    const char16_t *extension; // upper case
    const char16_t *icon;
    int windows;
};

constexpr IconRule kIcons[] = {
    {u"DOC", u"word.jpg", Both},    {u"RTF", u"word.jpg", Both},   {u"DOCX", u"word.jpg", Report},
    {u"TXT", u"text.jpg", Both},    {u"MDB", u"mdb.jpg", Both},    {u"HTM", u"htm.jpg", Both},
    {u"HTML", u"htm.jpg", Both},    {u"XLS", u"xls.jpg", Both},    {u"XLSX", u"xls.jpg", Report},
    {u"PDF", u"pdf.jpg", Both},     {u"DLL", u"dlb.jpg", Both},    {u"OCX", u"dlb.jpg", Browser},
    {u"ZIP", u"zip.jpg", Both},     {u"DAT", u"dat.jpg", Both},    {u"EXE", u"exe.jpg", Both},
    {u"CHM", u"chm.jpg", Both},     {u"RAR", u"rar.jpg", Report},  {u"MHT", u"mht.jpg", Report},
    {u"PPS", u"pps.jpg", Report},   {u"PPT", u"ppt.jpg", Report},
};

QString iconPath(const char16_t *name) { return u"/COM/ICONS/"_s + QString::fromUtf16(name); }

constexpr const char16_t *kBrowserPictures[] = {
    u"bmp", u"jpg", u"JPG", u"gif", u"png", u"ico", u"tiff", u"tif", u"tga", u"pcx", u"wbmp",
    u"wmf", u"emf", u"jp2", u"j2k", u"jpc", u"j2c", u"pgx", u"ras", u"pnm", u"pgm", u"ppm",
};

constexpr const char16_t *kPreviewPictures[] = {
    u"bmp", u"jpg", u"jpeg", u"gif", u"png", u"ico", u"tiff", u"tif", u"tga", u"pcx", u"wbmp",
    u"wmf", u"emf", u"jp2", u"j2k", u"jpc", u"j2c", u"pgx", u"ras", u"pnm", u"pgm", u"ppm",
};

template <std::size_t N>
bool listed(const char16_t *const (&list)[N], const QString &extension)
{
    for (const char16_t *entry : list) {
        if (extension == QStringView(entry))
            return true;
    }
    return false;
}

QString iconFor(const QString &upperExtension, Window window)
{
    for (const IconRule &rule : kIcons) {
        if ((rule.windows & window) && upperExtension == QStringView(rule.extension))
            return iconPath(rule.icon);
    }
    return {};
}

} // namespace

const QString &archivePictureList()
{
    static const QString list =
        u";BMP;bmp;gif;JPG;jpg;TIF;JPEG;jpeg;png;ico;tif;tiff;tga;pcx;wbmp;wmf;emf;j2k;jp2;jbg;j2c;jpc;pgx;pnm;pgm;ppm;ras;"_s;
    return list;
}

bool isArchivePicture(const QString &extension)
{
    return !extension.isEmpty() && !extension.contains(u';')
        && archivePictureList().contains(u';' + extension + u';');
}

bool isBrowserPicture(const QString &extension) { return listed(kBrowserPictures, extension); }

bool isPreviewPicture(const QString &extension) { return listed(kPreviewPictures, extension); }

QString reportIcon(const QString &extension) { return iconFor(extension, Report); }

QString folderIcon() { return iconPath(u"FOLDER.jpg"); }

QString browserIcon(const QString &extension)
{
    const QString icon = iconFor(extension.toUpper(), Browser);
    return icon.isEmpty() ? iconPath(u"any.jpg") : icon;
}

} // namespace FileKinds
