#include "ImageTypes.h"

#include <QFileInfo>

#include <Magick++.h>

using namespace Qt::Literals::StringLiterals;

namespace ImageTypes {

const QList<Type> &table()
{
    static const QList<Type> rows{
        {kBmp, u"BMP files"_s, {u"*.bmp"_s}, true, true, "BMP3"},
        {kGif, u"GIF files"_s, {u"*.gif"_s}, true, true, "GIF"},
        {kJpeg, u"JPG files"_s, {u"*.jpg"_s, u"*.jpeg"_s}, true, true, "JPEG"},
        {kPng, u"PNG files"_s, {u"*.png"_s}, true, true, "PNG"},
        {kIco, u"ICO CUR files"_s, {u"*.ico"_s, u"*.cur"_s}, true, true, "ICO"},
        {kTiff, u"TIF files"_s, {u"*.tif"_s, u"*.tiff"_s}, true, true, "TIFF"},
        {7, u"TGA files"_s, {u"*.tga"_s}, true, true, "TGA"},
        {8, u"PCX files"_s, {u"*.pcx"_s}, true, true, "PCX"},
        {9, u"WBMP files"_s, {u"*.wbmp"_s}, true, true, "WBMP"},
        {kWmf, u"WMF EMF files"_s, {u"*.wmf"_s, u"*.emf"_s}, true, false, ""},
        {11, u"JP2 files"_s, {u"*.j2k"_s, u"*.jp2"_s}, true, true, "JP2"},
        {12, u"JPC files"_s, {u"*.j2c"_s, u"*.jpc"_s}, true, true, "J2C"},
        {13, u"PGX files"_s, {u"*.pgx"_s}, true, true, "PGX"},
        {15, u"RAS files"_s, {u"*.ras"_s}, true, true, "SUN"},
        {14, u"PNM files"_s, {u"*.pnm"_s, u"*.pgm"_s, u"*.ppm"_s}, true, true, "PNM"},
    };
    return rows;
}

const Type *find(int id)
{
    for (const Type &t : table()) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

int typeOfName(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext.isEmpty())
        return kNoType;
    const QString pattern = u"*."_s + ext;
    for (const Type &t : table()) {
        if (t.patterns.contains(pattern))
            return t.id;
    }
    return kNoType;
}

QString filterEntry(const Type &type)
{
    return type.description + u" ("_s + type.patterns.join(u' ') + u')';
}

namespace {

QStringList filters(bool forWriting)
{
    QStringList all;
    QStringList rows;
    for (const Type &t : table()) {
        if (forWriting ? !t.write : !t.read)
            continue;
        all += t.patterns;
        rows.append(filterEntry(t));
    }
    rows.prepend(u"Supported files ("_s + all.join(u' ') + u')');
    return rows;
}

} // namespace

QStringList openFilters()
{
    return filters(false);
}

QStringList saveFilters()
{
    return filters(true);
}

QString statusText(int id)
{
    const Type *t = find(id);
    return t ? t->description.left(3) : QString();
}

QString defaultExtension(int id)
{
    const Type *t = find(id);
    return t ? t->patterns.constFirst().mid(1) : QString();
}

int bitsPerPixel(const Magick::Image &picture)
{
    const Magick::Image &p = picture;
    if (p.classType() == MagickCore::PseudoClass) {
        const size_t colours = p.colorMapSize();
        return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    }
    if (p.colorSpace() == MagickCore::GRAYColorspace)
        return p.depth() == 1 ? 1 : 8;
    return p.matte() ? 32 : 24;
}

} // namespace ImageTypes
