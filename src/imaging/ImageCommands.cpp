#include "imaging/ImageCommands.h"

#include "imaging/ImageCommandIds.h"
#include "imaging/ImageOps.h"

#include <QColor>
#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace ImageCommands {
namespace {

using Kind = Param::Kind;

Param integer(QString name, int value, int minimum, int maximum)
{
    Param p;
    p.name = std::move(name);
    p.kind = Kind::Integer;
    p.defaultValue = value;
    p.minimum = minimum;
    p.maximum = maximum;
    return p;
}

Param real(QString name, double value, double minimum, double maximum, int decimals)
{
    Param p;
    p.name = std::move(name);
    p.kind = Kind::Real;
    p.defaultValue = value;
    p.minimum = minimum;
    p.maximum = maximum;
    p.decimals = decimals;
    return p;
}

Param choice(QString name, QStringList choices, int value = 0)
{
    Param p;
    p.name = std::move(name);
    p.kind = Kind::Choice;
    p.defaultValue = value;
    p.minimum = 0;
    p.maximum = double(choices.size() - 1);
    p.choices = std::move(choices);
    return p;
}

Param flag(QString name, bool value = false)
{
    Param p;
    p.name = std::move(name);
    p.kind = Kind::Flag;
    p.defaultValue = value;
    p.maximum = 1;
    return p;
}

Param of(QString name, Kind kind, bool required, QVariant value = {})
{
    Param p;
    p.name = std::move(name);
    p.kind = kind;
    p.required = required;
    p.defaultValue = std::move(value);
    return p;
}

// A picture-dependent whole number: its default comes from defaultFor.
Param measured(QString name, int minimum, int maximum)
{
    Param p = integer(std::move(name), 0, minimum, maximum);
    p.defaultValue = QVariant();
    return p;
}

const QStringList kInterpolations = {u"Nearest neighbour"_s, u"Bilinear"_s, u"Bicubic (hard)"_s,
                                     u"Bicubic 2 (soft)"_s, u"BSpline (blur)"_s, u"Lanzcos (sharp)"_s,
                                     u"Hermite"_s};
const QStringList kOverflows = {u"Background (or [0,0] color)"_s, u"Background (or Black)"_s,
                                u"Background (or White)"_s, u"Wrap"_s, u"Repeat"_s, u"Mirror"_s,
                                u"Transparent"_s};
const QStringList kResampleMethods = {u"Nearest neighbour"_s, u"Bilinear (pixel corner)"_s,
                                      u"Bilinear 2 (pixel center)"_s, u"Bicubic (hard)"_s,
                                      u"Bicubic 2 (soft)"_s, u"BSpline (blur)"_s, u"Lanzcos (sharp)"_s,
                                      u"Hermite"_s};
const QStringList kDithers = {u"Floyd-Steinberg"_s, u"Ordered dither"_s, u"Burkes"_s, u"Stucki"_s,
                              u"Jarvis-Judice-Ninke"_s, u"Sierra"_s, u"Stevenson-Arce"_s,
                              u"Bayer matrix (4x4 ordered dither)"_s};
const QStringList kSpaces = {u"RGB"_s, u"HSL"_s, u"YUV"_s, u"YIQ"_s, u"XYZ"_s};
const QStringList kSourceChannels = {u"gray"_s, u"red"_s, u"green"_s, u"blue"_s};
const QStringList kMixOps = {u"OpAdd"_s, u"OpAnd"_s, u"OpXor"_s, u"OpOr"_s, u"OpScreen"_s,
                             u"OpMask"_s, u"OpSrcCopy"_s, u"OpDstCopy"_s, u"OpSub"_s, u"OpSrcBlend"_s};
const QStringList kJpegFormats = {u"Jpeg standard (JPG)"_s, u"Jpeg 2000 (JPC, JP2)"_s};
const QStringList kPaletteOptions = {u"Maintain indexes"_s, u"Nearest color matching"_s,
                                     u"Error diffusion dithering"_s};

Command command(int id, QString menuText, QString name, Work work, QList<Param> params = {},
                int sources = 0, bool changesPicture = true)
{
    Command c;
    c.id = id;
    c.menuText = std::move(menuText);
    c.name = std::move(name);
    c.work = work;
    c.params = std::move(params);
    c.sources = sources;
    c.changesPicture = changesPicture;
    return c;
}

QList<Param> lightParams(int brightness, int contrast)
{
    return {integer(u"brightness"_s, brightness, -255, 255), integer(u"contrast"_s, contrast, -100, 100)};
}

QList<Param> circleParams(double strength)
{
    return {integer(u"radius"_s, 0, 0, 100000), real(u"strength"_s, strength, -1000, 1000, 2)};
}

QList<Command> buildTable()
{
    using namespace Ids;
    constexpr Work D = Work::Direct;
    constexpr Work W = Work::Worker;
    const QList<Param> noParams;
    return {
        command(Mirror, u"Mirror"_s, u"mirror"_s, W),
        command(Flip, u"Flip"_s, u"flip"_s, W),
        command(Negative, u"Negative"_s, u"negative"_s, W),
        command(GrayScale, u"Gray Scale"_s, u"gray-scale"_s, W),
        command(RotateLeft, u"Rotate Left"_s, u"rotate-left"_s, W),
        command(RotateRight, u"Rotate Right"_s, u"rotate-right"_s, W),
        command(Rotate, u"Rotate..."_s, u"rotate"_s, W,
                {real(u"angle"_s, 12.345, -360, 360, 3), choice(u"interpolation"_s, kInterpolations, 1),
                 choice(u"overflow"_s, kOverflows, 0), of(u"background"_s, Kind::Colour, false),
                 flag(u"keep-size"_s)}),
        command(Resample, u"Resample..."_s, u"resample"_s, W,
                {real(u"factor"_s, 1.0, 0.01, 16, 3), integer(u"width"_s, 0, 0, 65535), integer(u"height"_s, 0, 0, 65535),
                 choice(u"interpolation"_s, kResampleMethods, 1)}),
        command(Crop, u"Crop"_s, u"crop"_s, D, {of(u"rect"_s, Kind::Rect, true), of(u"corners"_s, Kind::Corners, false)}),
        command(SetTransparency, u"Set Transparency... (click)"_s, u"set-transparency"_s, D,
                {of(u"point"_s, Kind::Point, true)}),
        command(RemoveTransparency, u"Remove Transparency"_s, u"remove-transparency"_s, D),
        command(Dither, u"Dither..."_s, u"dither"_s, W, {choice(u"method"_s, kDithers, 0)}),
        command(Threshold, u"Threshold..."_s, u"threshold"_s, W, {measured(u"level"_s, 0, 255)}),
        command(Colorize, u"Colorize..."_s, u"colorize"_s, W,
                {choice(u"mode"_s, {u"HSL"_s, u"RGB"_s}, 0), integer(u"hue"_s, 50, 0, 255),
                 integer(u"saturation"_s, 150, 0, 255), integer(u"blend"_s, 100, 0, 100),
                 integer(u"red"_s, 0, -255, 255), integer(u"green"_s, 0, -255, 255), integer(u"blue"_s, 0, -255, 255)}),
        command(Gamma, u"Gamma..."_s, u"gamma"_s, W, {real(u"correction"_s, 1.23, 0, 5, 3)}),
        command(Lighten, u"Lighten"_s, u"lighten"_s, W, lightParams(20, 0)),
        command(Darken, u"Darken"_s, u"darken"_s, W, lightParams(-20, 0)),
        command(MoreContrast, u"More Contrast"_s, u"more-contrast"_s, W, lightParams(0, 25)),
        command(LessContrast, u"Less Contrast"_s, u"less-contrast"_s, W, lightParams(0, -25)),
        command(Blur, u"Blur"_s, u"blur"_s, W),
        command(Soften, u"Soften"_s, u"soften"_s, W),
        command(Gaussian3, u"Gaussian 3x3"_s, u"gaussian-3x3"_s, W),
        command(Gaussian5, u"Gaussian 5x5"_s, u"gaussian-5x5"_s, W),
        command(Sharpen, u"Sharpen"_s, u"sharpen"_s, W),
        command(Edge, u"Edge"_s, u"edge"_s, W),
        command(Emboss, u"Emboss"_s, u"emboss"_s, W),
        command(AddNoise, u"Add Noise"_s, u"add-noise"_s, W, {integer(u"level"_s, 50, 0, 255)}),
        command(Median, u"Median"_s, u"median"_s, W, {integer(u"size"_s, 3, 1, 15)}),
        command(Erode, u"Erode"_s, u"erode"_s, W, {integer(u"size"_s, 2, 1, 15)}),
        command(Dilate, u"Dilate"_s, u"dilate"_s, W, {integer(u"size"_s, 2, 1, 15)}),
        command(Contour, u"Contour"_s, u"contour"_s, W),
        command(EdgeNonLinear, u"Edge"_s, u"edge-nonlinear"_s, W, {integer(u"size"_s, 2, 1, 15)}),
        command(Jitter, u"Jitter"_s, u"jitter"_s, W, {integer(u"radius"_s, 2, 1, 50)}),
        command(Pinch, u"Pinch"_s, u"pinch"_s, W, circleParams(100)),
        command(Punch, u"Punch"_s, u"punch"_s, W, circleParams(100)),
        command(Twirl, u"Twirl"_s, u"twirl"_s, W, circleParams(100)),
        command(Cylinder, u"Cylinder"_s, u"cylinder"_s, W, circleParams(100)),
        command(Bathroom, u"Bathroom"_s, u"bathroom"_s, W, circleParams(1)),
        command(PseudoColors, u"Pseudo Colors"_s, u"pseudo-colors"_s, D),
        command(SplitRgb, u"Split to RGB"_s, u"split-to-rgb"_s, D, noParams, 0, false),
        command(SplitHsl, u"Split to HSL"_s, u"split-to-hsl"_s, D, noParams, 0, false),
        command(SplitYuv, u"Split to YUV"_s, u"split-to-yuv"_s, D, noParams, 0, false),
        command(SplitYiq, u"Split to YIQ"_s, u"split-to-yiq"_s, D, noParams, 0, false),
        command(SplitXyz, u"Split to XYZ"_s, u"split-to-xyz"_s, D, noParams, 0, false),
        command(SplitCmyk, u"Split to CMYK"_s, u"split-to-cmyk"_s, D, noParams, 0, false),
        command(Combine, u"Combine ..."_s, u"combine"_s, D,
                {choice(u"channel-1"_s, kSourceChannels, 0), choice(u"channel-2"_s, kSourceChannels, 0),
                 choice(u"channel-3"_s, kSourceChannels, 0), choice(u"channel-4"_s, kSourceChannels, 0),
                 choice(u"colour-space"_s, kSpaces, 0)},
                4, false),
        command(Fft, u"FFT..."_s, u"fft"_s, D,
                {flag(u"inverse"_s), flag(u"compute-magnitude"_s), flag(u"force-fft"_s)}, 2, false),
        command(Repair, u"Repair..."_s, u"repair"_s, D,
                {real(u"radius"_s, 0.25, 0, 10, 2), integer(u"iterations"_s, 2, 1, 50), choice(u"colour-space"_s, kSpaces, 0)}),
        command(Mix, u"Mix ..."_s, u"mix"_s, D,
                {choice(u"operation"_s, kMixOps, 1), integer(u"x-offset"_s, 0, -65535, 65535), integer(u"y-offset"_s, 0, -65535, 65535),
                 flag(u"mix-alpha"_s)},
                1, false),
        command(JpegCompression, u"JPEG compression ..."_s, u"jpeg-compression"_s, D,
                {integer(u"quality"_s, 50, 1, 100), choice(u"format"_s, kJpegFormats, 0)}, 0, false),
        command(Palette, u"Palette"_s, u"palette"_s, D,
                {of(u"palette"_s, Kind::Palette, true), choice(u"load-option"_s, kPaletteOptions, 0)}),
    };
}

struct ImageCommandsTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageCommands)
};

} // namespace

const QList<Command> &all()
{
    static const QList<Command> table = buildTable();
    return table;
}

const Command *find(int id)
{
    for (const Command &c : all())
        if (c.id == id)
            return &c;
    return nullptr;
}

const Command *find(const QString &name)
{
    for (const Command &c : all())
        if (c.name == name)
            return &c;
    return nullptr;
}

QVariant defaultFor(const Param &param, const Magick::Image &picture)
{
    if (!param.defaultValue.isNull() || !picture.isValid())
        return param.defaultValue;
    if (param.name == u"level") {
        const ImageOps::Pixels pixels = ImageOps::pixelsOf(picture);
        const std::vector<std::uint8_t> grey = ImageOps::greyLevels(pixels);
        if (grey.empty())
            return 128;
        std::uint64_t sum = 0;
        for (std::uint8_t g : grey)
            sum += g;
        return int((sum + grey.size() / 2) / grey.size());
    }
    return {};
}

QString cancelledMessage()
{
    return ImageCommandsTr::tr("أُلغيت العملية، وبقيت الصورة كما كانت.");
}

} // namespace ImageCommands
