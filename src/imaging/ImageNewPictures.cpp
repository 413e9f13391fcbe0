#include "imaging/ImageRun.h"

#include "imaging/ImageCommandIds.h"

#include <QCoreApplication>

// The commands whose results open as new documents and leave the picture as it was.
namespace ImageCommands::Detail {
namespace {

using namespace Qt::Literals::StringLiterals;
using ImageOps::Pixels;
using ImageOps::Space;

struct ImageNewPicturesTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageCommands)
};

struct SplitOf
{
    int id;
    Space space;
    QStringList channels;
};

const QList<SplitOf> &splits()
{
    static const QList<SplitOf> table = {
        {Ids::SplitRgb, Space::Rgb, {u"Red"_s, u"Green"_s, u"Blue"_s}},
        {Ids::SplitHsl, Space::Hsl, {u"Hue"_s, u"Saturation"_s, u"Lightness"_s}},
        {Ids::SplitYuv, Space::Yuv, {u"Y"_s, u"U"_s, u"V"_s}},
        {Ids::SplitYiq, Space::Yiq, {u"Y"_s, u"I"_s, u"Q"_s}},
        {Ids::SplitXyz, Space::Xyz, {u"X"_s, u"Y"_s, u"Z"_s}},
        {Ids::SplitCmyk, Space::Cmyk, {u"C"_s, u"M"_s, u"Y"_s, u"K"_s}},
    };
    return table;
}

NewPicture titled(const QString &name, const QString &pattern, Magick::Image picture)
{
    return NewPicture{name, pattern, std::move(picture)};
}

Result<Outcome> splitInto(const SplitOf &split, const Magick::Image &work)
{
    const Pixels pixels = ImageOps::pixelsOf(work);
    const auto channels = ImageOps::split(pixels, split.space);
    Outcome out;
    for (qsizetype i = 0; i < split.channels.size(); ++i) {
        const QString name = split.channels[i] + u" Channel"_s;
        out.newPictures.append(titled(name, name + u" %1 from %2"_s,
                                      ImageOps::greyImageOf(channels[std::size_t(i)], pixels.width, pixels.height, work)));
    }
    return out;
}

Result<Outcome> combined(const Context &c, const Magick::Image &work)
{
    const Magick::Image &first = c.sources.front();
    const int w = int(first.columns());
    const int h = int(first.rows());
    std::vector<std::vector<std::uint8_t>> channels;
    for (qsizetype i = 0; i < std::min<qsizetype>(4, c.sources.size()); ++i) {
        const Magick::Image &source = c.sources[i];
        if (int(source.columns()) != w || int(source.rows()) != h)
            return Result<Outcome>::refused(ImageNewPicturesTr::tr("الصور التي تُجمع يجب أن تكون بقياس واحد."));
        const Pixels pixels = ImageOps::pixelsOf(source);
        const int which = c.integer(i == 0 ? u"channel-1" : i == 1 ? u"channel-2" : i == 2 ? u"channel-3" : u"channel-4");
        if (which == 0) {
            channels.push_back(ImageOps::greyLevels(pixels));
        } else {
            std::vector<std::uint8_t> one(std::size_t(w) * std::size_t(h));
            for (std::size_t k = 0; k < one.size(); ++k)
                one[k] = pixels.data[k * std::size_t(pixels.channels) + std::size_t(which - 1)];
            channels.push_back(std::move(one));
        }
    }
    const Pixels out = ImageOps::combine(channels, w, h, spaceOf(c.integer(u"colour-space")));
    Outcome outcome;
    outcome.newPictures.append(titled(u"NewImage"_s, u"NewImage%1"_s, ImageOps::imageOf(out, work)));
    return outcome;
}

Result<Outcome> fourier(const Context &c, const Magick::Image &work)
{
    const Magick::Image &real = c.sources.isEmpty() ? work : c.sources.front();
    const bool magnitude = c.flag(u"compute-magnitude");
    Outcome out;
    if (c.flag(u"inverse")) {
        if (c.sources.size() < 2)
            return Result<Outcome>::refused(ImageNewPicturesTr::tr("التحويل العكسي يحتاج الصورتين: الحقيقية والتخيلية."));
        Magick::Image back = real;
        back.quiet(true);
        back.inverseFourierTransform(c.sources[1], magnitude);
        out.newPictures.append(titled(u"FFT Real"_s, u"FFT Real %1"_s, back));
        return out;
    }
    std::vector<Magick::Image> parts;
    Magick::forwardFourierTransformImage(&parts, real, magnitude);
    if (parts.size() < 2)
        return Result<Outcome>::failure(ImageNewPicturesTr::tr("لم يُنتج التحويل جزأيه."));
    const QString first = magnitude ? u"FFT Magnitude"_s : u"FFT Real"_s;
    const QString second = magnitude ? u"FFT Phase"_s : u"FFT Imag"_s;
    out.newPictures.append(titled(first, first + u" %1"_s, parts[0]));
    out.newPictures.append(titled(second, second + u" %1"_s, parts[1]));
    return out;
}

Result<Outcome> mixed(const Context &c, const Magick::Image &work)
{
    Pixels dst = ImageOps::pixelsOf(work);
    const Pixels src = ImageOps::pixelsOf(c.sources.front());
    static constexpr ImageOps::MixOp ops[] = {
        ImageOps::MixOp::Add,  ImageOps::MixOp::And,     ImageOps::MixOp::Xor,     ImageOps::MixOp::Or,
        ImageOps::MixOp::Screen, ImageOps::MixOp::Mask, ImageOps::MixOp::SrcCopy, ImageOps::MixOp::DstCopy,
        ImageOps::MixOp::Sub,  ImageOps::MixOp::SrcBlend};
    ImageOps::mix(dst, src, ops[std::clamp(c.integer(u"operation"), 0, 9)], c.integer(u"x-offset"), c.integer(u"y-offset"), c.flag(u"mix-alpha"));
    Outcome out;
    out.newPictures.append(titled(u"Mix"_s, u"Mix %1"_s, ImageOps::imageOf(dst, work)));
    return out;
}

Result<Outcome> compressed(const Context &c, Magick::Image &work)
{
    const int quality = c.integer(u"quality");
    const bool jpeg2000 = c.integer(u"format") == 1;
    if (work.type() != MagickCore::GrayscaleType && work.type() != MagickCore::BilevelType)
        work.type(MagickCore::TrueColorType);
    if (work.matte()) {
        Magick::Image flat(Magick::Geometry(work.columns(), work.rows()), Magick::Color("white"));
        flat.composite(work, 0, 0, MagickCore::OverCompositeOp);
        flat.quiet(true);
        work = flat;
        work.matte(false);
    }
    work.quality(std::size_t(quality));
    work.magick(jpeg2000 ? "JP2" : "JPEG");
    Magick::Blob blob;
    work.write(&blob);
    Magick::Image back;
    back.quiet(true);
    back.read(blob);
    const QString name = u"Jpeg compr."_s;
    Outcome out;
    out.newPictures.append(titled(name, u"Jpeg compr. %1, q = "_s + QString::number(quality) + u", size = "_s
                                            + QString::number(qulonglong(blob.length())),
                                  back));
    return out;
}

} // namespace

Result<Outcome> makeNew(const Context &c, Magick::Image &work)
{
    for (const SplitOf &split : splits())
        if (split.id == c.command.id)
            return splitInto(split, work);
    switch (c.command.id) {
    case Ids::Combine: return combined(c, work);
    case Ids::Fft: return fourier(c, work);
    case Ids::Mix: return mixed(c, work);
    case Ids::JpegCompression: return compressed(c, work);
    default: return Result<Outcome>::failure(ImageNewPicturesTr::tr("أمر صورة غير معروف: %1").arg(c.command.id));
    }
}

} // namespace ImageCommands::Detail
