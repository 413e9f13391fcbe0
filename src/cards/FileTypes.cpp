#include "FileTypes.h"

#include "base/FileKinds.h"

#include <QHash>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace FileTypes {

QString extension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || dot == name.size() - 1 || (dot == 0 && name.indexOf(u'.', 1) < 0))
        return noExtension();
    return name.mid(dot + 1);
}

int typeCode(const QString &ext)
{
    static const QHash<QString, int> codes = [] {
        QHash<QString, int> h;
        const std::pair<int, const char16_t *> groups[] = {
            {26, u"PDF"},
            {31, u"TXT LOG"},
            {37, u"ZIP ARJ TGZ RAR TAR LZH LZA CAB"},
            {10, u"EXE COM BAT"},
            {30, u"AU WAV MP3"},
            {17, u"HTM HTML MHT MHTML"},
            {36, u"DOC RTF"},
            {34, u"MPG MPEG AVI"},
            {16, u"HLP"},
            {19, u"BMP ICO JPG GIF JPEG AIS EMF IFF KDC PCD PCX PIC PIX PNG PSD SGI TIF TIFF WMF"},
            {13, u"DBF DBT MEM"},
            {6, u"DLL SYS OCX VXD INI DRV"},
            {35, u"TSK CPX ROM CFG STF LST INF"},
            {1, u"C"},
            {50, u"CPP"},
            {15, u"H"},
            {4, u"CUR ANI"},
            {12, u"FON"},
            {32, u"BAK"},
            {23, u"JAVA"},
            {22, u"CLASS"},
            {21, u"BEAN"},
            {28, u"REG"},
            {0, u"MDB"},
            {8, u"XLS"},
            {18, u"CHM"},
        };
        for (const auto &[code, names] : groups) {
            for (const QString &n : QString::fromUtf16(names).split(u' '))
                h.insert(n, code);
        }
        return h;
    }();
    return codes.value(ext.toUpper(), 14);
}

bool isImage(const QString &ext) { return FileKinds::isArchivePicture(ext); }

bool isCompanionPage(const QString &ext)
{
    return ext == u"htm" || ext == u"html";
}

} // namespace FileTypes
