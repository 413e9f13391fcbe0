#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <Magick++.h>

// A picture of one colour written by the image library, in the format the name's extension says.
inline void writePicture(const QString &path, int w, int h, const char *colour)
{
    Magick::InitializeMagick(nullptr);
    QDir().mkpath(QFileInfo(path).absolutePath());
    Magick::Image image{Magick::Geometry(size_t(w), size_t(h)), Magick::Color(colour)};
    image.write(QFile::encodeName(path).toStdString());
}
