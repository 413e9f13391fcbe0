#include "ImageDrawing.h"

#include "imaging/ImageDocument.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace ImageDrawing {
namespace {

// Colour values are kept as 0x00BBGGRR.
QColor colourOf(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

Magick::Image placeText(const Magick::Image &picture, QPoint at, const QString &text, const TextToolSettings &settings)
{
    QImage canvas = ImageDocument::toQImage(picture);
    if (canvas.isNull() || text.isEmpty())
        return picture;
    QFont font(settings.faceName);
    // Weights are kept on the 100-900 scale of the font settings; 0 is the face's own.
    if (settings.weight > 0)
        font.setWeight(QFont::Weight(std::clamp(settings.weight, 100, 900)));
    font.setItalic(settings.italic != 0);
    font.setUnderline(settings.underline != 0);
    // The settings keep no size: the text takes a fortieth of the picture's height, so it reads
    // the same on a small picture and on a page scanned at 300 dpi.
    font.setPixelSize(std::max(8, canvas.height() / 40));
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(font);
        const QRect measured = QFontMetrics(font).boundingRect(text);
        const QRect box = measured.translated(at - measured.topLeft());
        if (settings.opaque) {
            QColor back = colourOf(settings.backColour);
            back.setAlphaF(float(1.0 - std::clamp(settings.opacity, 0.0, 1.0)));
            const int pad = std::max(2, settings.roundRadius / 5);
            QPainterPath path;
            path.addRoundedRect(box.adjusted(-pad, -pad, pad, pad), settings.roundRadius / 2.0, settings.roundRadius / 2.0);
            painter.fillPath(path, back);
        }
        painter.setPen(colourOf(settings.textColour));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    return ImageDocument::fromQImage(canvas);
}

int paletteIndexAt(const Magick::Image &picture, QPoint at)
{
    if (!picture.isValid() || picture.classType() != MagickCore::PseudoClass || at.x() < 0 || at.y() < 0
        || at.x() >= int(picture.columns()) || at.y() >= int(picture.rows()))
        return -1;
    const Magick::ColorRGB colour = picture.pixelColor(size_t(at.x()), size_t(at.y()));
    for (size_t i = 0; i < picture.colorMapSize(); ++i)
        if (Magick::ColorRGB(picture.colorMap(i)) == colour)
            return int(i);
    return -1;
}

QList<QRgb> paletteOf(const Magick::Image &picture)
{
    QList<QRgb> entries;
    if (!picture.isValid() || picture.classType() != MagickCore::PseudoClass)
        return entries;
    for (size_t i = 0; i < picture.colorMapSize(); ++i) {
        const Magick::ColorRGB c = picture.colorMap(i);
        const auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        // The library's "alpha" of a colour is its opacity: 0 for an opaque entry.
        entries.append(qRgba(byte(c.red()), byte(c.green()), byte(c.blue()), 255 - byte(c.alpha())));
    }
    return entries;
}

} // namespace ImageDrawing
