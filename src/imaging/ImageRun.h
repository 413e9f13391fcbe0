#pragma once

#include "imaging/ImageCommands.h"
#include "imaging/ImageOps.h"

// Inside the run of one image command: the checked values and the parts shared by the families
// of commands (transforms, new-picture commands).
namespace ImageCommands::Detail {

struct Context
{
    const Command &command;
    const Values &values;
    const QList<Magick::Image> &sources;
    ImageProgress *progress;

    int integer(const char16_t *name) const { return values.value(QString::fromUtf16(name)).toInt(); }
    double real(const char16_t *name) const { return values.value(QString::fromUtf16(name)).toDouble(); }
    bool flag(const char16_t *name) const { return values.value(QString::fromUtf16(name)).toBool(); }
    QVariant value(const char16_t *name) const { return values.value(QString::fromUtf16(name)); }
    bool cancelled() const { return progress && progress->cancelled; }
};

// The commands that leave the picture and make new ones: splits, combine, FFT, mix, JPEG
// compression. `work` is a private copy of the picture.
Result<Outcome> makeNew(const Context &context, Magick::Image &work);
// The commands that change the picture on ImageMagick's own operations or ours; the outcome's
// picture is set on success.
Result<Outcome> transform(const Context &context, Magick::Image &work);

Magick::Color colourOf(QRgb rgba);
ImageOps::Space spaceOf(int choice);

} // namespace ImageCommands::Detail
