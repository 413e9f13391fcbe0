#include "imaging/ImageRun.h"

#include "imaging/ImageCommandIds.h"

#include <QColor>
#include <QCoreApplication>
#include <QPolygonF>
#include <QRect>

#include <random>

// The commands that change the picture in place.
namespace ImageCommands::Detail {
namespace {

using ImageOps::Kernel;
using ImageOps::Pixels;

struct ImageTransformsTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageCommands)
};

struct KernelOf
{
    int id;
    Kernel kernel;
};

const KernelOf kKernels[] = {
    {Ids::Blur, {3, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0}},
    {Ids::Soften, {3, {1, 1, 1, 1, 8, 1, 1, 1, 1}, 16, 0}},
    {Ids::Gaussian3, {3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0}},
    {Ids::Gaussian5, {5, {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8, 4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0}, 52, 0}},
    {Ids::Sharpen, {3, {-1, -1, -1, -1, 15, -1, -1, -1, -1}, 7, 0}},
    {Ids::Edge, {3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, -1, 255}},
    {Ids::Emboss, {3, {0, 0, -1, 0, 0, 0, 1, 0, 0}, 0, 127}},
};

// A fresh seed per run: noise and jitter differ from run to run as the user expects.
std::uint32_t seed()
{
    static std::random_device device;
    return device();
}

Magick::InterpolatePixelMethod interpolationOf(int choice, Magick::Image &work)
{
    switch (choice) {
    case 0: return MagickCore::NearestNeighborInterpolatePixel;
    case 1: return MagickCore::BilinearInterpolatePixel;
    case 2: return MagickCore::CatromInterpolatePixel;
    case 3: return MagickCore::BicubicInterpolatePixel;
    case 4: return MagickCore::SplineInterpolatePixel;
    case 5: work.filterType(MagickCore::LanczosFilter); return MagickCore::FilterInterpolatePixel;
    default: work.filterType(MagickCore::HermiteFilter); return MagickCore::FilterInterpolatePixel;
    }
}

void rotate(const Context &c, Magick::Image &work)
{
    const int overflow = c.integer(u"overflow");
    const QVariant given = c.value(u"background");
    Magick::Color background("white");
    if (given.isValid() && !given.isNull())
        background = colourOf(given.value<QColor>().rgba());
    else if (overflow == 0)
        background = work.pixelColor(0, 0);
    else if (overflow == 1)
        background = Magick::Color("black");
    static constexpr MagickCore::VirtualPixelMethod methods[] = {
        MagickCore::BackgroundVirtualPixelMethod, MagickCore::BackgroundVirtualPixelMethod,
        MagickCore::BackgroundVirtualPixelMethod, MagickCore::TileVirtualPixelMethod,
        MagickCore::EdgeVirtualPixelMethod, MagickCore::MirrorVirtualPixelMethod,
        MagickCore::TransparentVirtualPixelMethod};
    if (overflow == 6)
        work.matte(true);
    work.backgroundColor(background);
    work.virtualPixelMethod(methods[std::clamp(overflow, 0, 6)]);
    work.interpolate(interpolationOf(c.integer(u"interpolation"), work));
    const double angle[] = {c.real(u"angle")};
    if (!c.flag(u"keep-size")) {
        // The turned picture's box, about the same centre: the library's own best fit adds a
        // pixel of its filter's reach on every side, so a quarter turn would not swap the sides.
        const double w = double(work.columns());
        const double h = double(work.rows());
        const double radians = angle[0] * M_PI / 180.0;
        const auto side = [](double v) { return std::max<long>(1, std::lround(v - 1e-6)); };
        const long nw = side(std::abs(w * std::cos(radians)) + std::abs(h * std::sin(radians)));
        const long nh = side(std::abs(w * std::sin(radians)) + std::abs(h * std::cos(radians)));
        const long x = std::lround((w - double(nw)) / 2.0);
        const long y = std::lround((h - double(nh)) / 2.0);
        work.artifact("distort:viewport", QStringLiteral("%1x%2%3%4%5%6")
                                              .arg(nw)
                                              .arg(nh)
                                              .arg(x < 0 ? u"" : u"+")
                                              .arg(x)
                                              .arg(y < 0 ? u"" : u"+")
                                              .arg(y)
                                              .toStdString());
    }
    work.distort(MagickCore::ScaleRotateTranslateDistortion, 1, angle, false);
    MagickCore::DeleteImageArtifact(work.image(), "distort:viewport");
    work.repage();
}

void resample(const Context &c, Magick::Image &work)
{
    // Width and height 0 follow the factor; one of them 0 keeps the picture's aspect ratio.
    const double factor = c.real(u"factor");
    const double columns = double(work.columns());
    const double rows = double(work.rows());
    double w = c.integer(u"width");
    double h = c.integer(u"height");
    if (w == 0 && h == 0) {
        w = columns * factor;
        h = rows * factor;
    } else if (w == 0) {
        w = columns * h / rows;
    } else if (h == 0) {
        h = rows * w / columns;
    }
    const auto whole = [](double v) { return std::max<std::size_t>(1, std::size_t(std::lround(v))); };
    Magick::Geometry size(whole(w), whole(h));
    size.aspect(true);
    static constexpr MagickCore::FilterTypes filters[] = {
        MagickCore::PointFilter,   MagickCore::TriangleFilter, MagickCore::TriangleFilter, MagickCore::CatromFilter,
        MagickCore::CubicFilter,   MagickCore::SplineFilter,   MagickCore::LanczosFilter,  MagickCore::HermiteFilter};
    const int method = std::clamp(c.integer(u"interpolation"), 0, 7);
    if (method == 0) {
        work.sample(size);
    } else if (method == 1) {
        work.adaptiveResize(size);
    } else {
        work.filterType(filters[method]);
        work.resize(size);
    }
}

Result<Outcome> refused(const QString &message)
{
    return Result<Outcome>::refused(message);
}

Result<Outcome> cropped(const Context &c, Magick::Image &work)
{
    const QRect whole(0, 0, int(work.columns()), int(work.rows()));
    const QVariant corners = c.value(u"corners");
    if (corners.isValid() && !corners.isNull()) {
        const QPolygonF points = corners.value<QPolygonF>();
        const Pixels out = ImageOps::cropCorners(ImageOps::pixelsOf(work), points);
        if (out.data.empty())
            return refused(ImageTransformsTr::tr("التحديد بأركانه الأربعة غير صالح."));
        return Outcome{ImageOps::imageOf(out, work), {}};
    }
    const QRect rect = c.value(u"rect").toRect().intersected(whole);
    if (rect.isEmpty())
        return refused(ImageTransformsTr::tr("التحديد خارج الصورة."));
    work.crop(Magick::Geometry(std::size_t(rect.width()), std::size_t(rect.height()), rect.x(), rect.y()));
    work.repage();
    return Outcome{work, {}};
}

void dither(const Context &c, Magick::Image &work)
{
    const int method = c.integer(u"method");
    if (method == 0 || method == 1 || method == 7) {
        work.type(MagickCore::GrayscaleType);
        if (method == 0) {
            Magick::Image blackWhite(Magick::Geometry(2, 1), Magick::Color("black"));
            blackWhite.pixelColor(1, 0, Magick::Color("white"));
            work.quantizeDitherMethod(MagickCore::FloydSteinbergDitherMethod);
            work.map(blackWhite, true);
        } else {
            work.orderedDither(method == 1 ? "o8x8" : "o4x4");
        }
        work.type(MagickCore::BilevelType);
        return;
    }
    static constexpr ImageOps::Diffusion methods[] = {
        ImageOps::Diffusion::FloydSteinberg, ImageOps::Diffusion::FloydSteinberg, ImageOps::Diffusion::Burkes,
        ImageOps::Diffusion::Stucki, ImageOps::Diffusion::JarvisJudiceNinke, ImageOps::Diffusion::Sierra,
        ImageOps::Diffusion::StevensonArce};
    std::vector<std::uint8_t> grey = ImageOps::greyLevels(ImageOps::pixelsOf(work));
    const int w = int(work.columns());
    const int h = int(work.rows());
    if (!ImageOps::diffuseError(grey, w, h, methods[method], c.progress))
        return;
    Magick::Image out = ImageOps::greyImageOf(grey, w, h, work);
    out.type(MagickCore::BilevelType);
    work = out;
}

Result<Outcome> palette(const Context &c, Magick::Image &work)
{
    if (work.classType() != MagickCore::PseudoClass || work.colorMapSize() == 0)
        return refused(ImageTransformsTr::tr("ليس للصورة لوح ألوان."));
    const QList<QRgb> entries = c.value(u"palette").value<QList<QRgb>>();
    const int option = c.integer(u"load-option");
    if (option == 0) {
        const std::size_t count = std::min<std::size_t>(work.colorMapSize(), std::size_t(entries.size()));
        for (std::size_t i = 0; i < count; ++i)
            work.colorMap(i, colourOf(entries[qsizetype(i)]));
        return Outcome{work, {}};
    }
    Magick::Image colours(Magick::Geometry(std::size_t(entries.size()), 1), Magick::Color("black"));
    for (qsizetype i = 0; i < entries.size(); ++i)
        colours.pixelColor(i, 0, colourOf(entries[i] | 0xff000000u));
    work.type(MagickCore::TrueColorType);
    work.quantizeDitherMethod(option == 2 ? MagickCore::FloydSteinbergDitherMethod : MagickCore::NoDitherMethod);
    work.map(colours, option == 2);
    return Outcome{work, {}};
}

// Our own pixel work: through the 8-bit pixels and back.
template <typename Op>
Result<Outcome> onPixels(const Context &c, const Magick::Image &work, Op op)
{
    Pixels pixels = ImageOps::pixelsOf(work);
    if (!op(pixels) || c.cancelled())
        return Result<Outcome>::failure(cancelledMessage());
    return Outcome{ImageOps::imageOf(pixels, work), {}};
}

} // namespace

Result<Outcome> transform(const Context &c, Magick::Image &work)
{
    for (const KernelOf &k : kKernels)
        if (k.id == c.command.id)
            return onPixels(c, work, [&](Pixels &p) { return ImageOps::convolve(p, k.kernel, c.progress); });
    const auto circle = [&](ImageOps::Circle type) {
        return onPixels(c, work, [&](Pixels &p) {
            return ImageOps::circleTransform(p, type, c.integer(u"radius"), c.real(u"strength"), c.progress);
        });
    };
    switch (c.command.id) {
    case Ids::Mirror: work.flop(); break;
    case Ids::Flip: work.flip(); break;
    case Ids::Negative: work.negate(); break;
    case Ids::GrayScale: work.type(MagickCore::GrayscaleType); break;
    case Ids::RotateLeft: work.rotate(-90); break;
    case Ids::RotateRight: work.rotate(90); break;
    case Ids::Rotate: rotate(c, work); break;
    case Ids::Resample: resample(c, work); break;
    case Ids::Crop: return cropped(c, work);
    case Ids::SetTransparency: {
        const QPoint at = c.value(u"point").toPoint();
        if (at.x() < 0 || at.y() < 0 || at.x() >= int(work.columns()) || at.y() >= int(work.rows()))
            return refused(ImageTransformsTr::tr("النقطة خارج الصورة."));
        work.transparent(work.pixelColor(at.x(), at.y()));
        break;
    }
    case Ids::RemoveTransparency: work.matte(false); break;
    case Ids::Dither: dither(c, work); break;
    case Ids::Threshold: {
        const int level = c.integer(u"level");
        const std::vector<std::uint8_t> grey = ImageOps::greyLevels(ImageOps::pixelsOf(work));
        std::vector<bool> on(grey.size());
        for (std::size_t i = 0; i < grey.size(); ++i)
            on[i] = grey[i] > level;
        return Outcome{ImageOps::bilevelImageOf(on, int(work.columns()), int(work.rows()), work), {}};
    }
    case Ids::Colorize:
        return onPixels(c, work, [&](Pixels &p) {
            if (c.integer(u"mode") == 0)
                ImageOps::colorize(p, c.integer(u"hue"), c.integer(u"saturation"), c.integer(u"blend") / 100.0);
            else
                ImageOps::shiftRgb(p, c.integer(u"red"), c.integer(u"green"), c.integer(u"blue"));
            return true;
        });
    case Ids::Gamma:
        if (c.real(u"correction") > 0)
            work.gamma(c.real(u"correction"));
        break;
    case Ids::Lighten:
    case Ids::Darken:
    case Ids::MoreContrast:
    case Ids::LessContrast:
        return onPixels(c, work, [&](Pixels &p) {
            ImageOps::light(p, c.integer(u"brightness"), c.integer(u"contrast"));
            return true;
        });
    case Ids::AddNoise:
        return onPixels(c, work, [&](Pixels &p) { return ImageOps::addNoise(p, c.integer(u"level"), seed(), c.progress); });
    case Ids::Median: work.medianFilter(double(c.integer(u"size"))); break;
    case Ids::Erode:
    case Ids::Dilate:
        return onPixels(c, work, [&](Pixels &p) {
            return ImageOps::rankFilter(p, c.integer(u"size"), c.command.id == Ids::Dilate, c.progress);
        });
    case Ids::Contour: return onPixels(c, work, [&](Pixels &p) { return ImageOps::contour(p, c.progress); });
    case Ids::EdgeNonLinear:
        return onPixels(c, work, [&](Pixels &p) { return ImageOps::edgeNonLinear(p, c.integer(u"size"), c.progress); });
    case Ids::Jitter:
        return onPixels(c, work, [&](Pixels &p) { return ImageOps::jitter(p, c.integer(u"radius"), seed(), c.progress); });
    case Ids::Pinch: return circle(ImageOps::Circle::Pinch);
    case Ids::Punch: return circle(ImageOps::Circle::Punch);
    case Ids::Twirl: return circle(ImageOps::Circle::Twirl);
    case Ids::Cylinder: return circle(ImageOps::Circle::Cylinder);
    case Ids::Bathroom: return circle(ImageOps::Circle::Bathroom);
    case Ids::PseudoColors:
        return onPixels(c, work, [](Pixels &p) {
            ImageOps::huePalette(p);
            return true;
        });
    case Ids::Repair:
        return onPixels(c, work, [&](Pixels &p) {
            return ImageOps::repair(p, c.real(u"radius"), c.integer(u"iterations"), spaceOf(c.integer(u"colour-space")), c.progress);
        });
    case Ids::Palette: return palette(c, work);
    default: return Result<Outcome>::failure(ImageTransformsTr::tr("أمر صورة غير معروف: %1").arg(c.command.id));
    }
    if (c.cancelled())
        return Result<Outcome>::failure(cancelledMessage());
    return Outcome{work, {}};
}

} // namespace ImageCommands::Detail
