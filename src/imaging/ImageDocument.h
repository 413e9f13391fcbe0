#pragma once

#include "base/Result.h"
#include "imaging/ImageProgress.h"

#include <QImage>
#include <QString>

#include <Magick++.h>

#include <array>
#include <optional>

// The picture of one image window and its eight undo steps, without any window: loading a frame
// of a file, saving by the type of the file name, and the undo slots every change goes through.
class ImageDocument
{
public:
    static constexpr int kUndoSlots = 8;
    static constexpr int kDefaultJpegQuality = 90;

    bool hasPicture() const { return m_picture.has_value(); }
    // Only while hasPicture().
    const Magick::Image &picture() const { return *m_picture; }
    // Replaces the picture without an undo step (a new document's first picture).
    void setPicture(const Magick::Image &picture, int type);
    int type() const { return m_type; }

    // The undo steps. A step holds the whole picture (the library shares the pixels until one
    // side writes, so a step of an unchanged picture costs no pixels).
    void storeStep();
    // Every change: a step of the picture as it was, then the new picture.
    void change(const Magick::Image &changed);
    int undoLevel() const { return m_level; }
    bool canUndo() const { return hasPicture() && m_level > 0; }
    bool canRedo() const { return hasPicture() && m_level < kUndoSlots && m_slots[size_t(m_level)].has_value(); }
    bool undo();
    bool redo();

    // How many frames (pages) the file holds; fails with the library's words.
    static Result<int> frameCount(const QString &path);
    // Reads frame `frame` of the file (0 the first); on failure the document keeps no picture.
    // With `progress` the read reports how far it got and stops when it is cancelled.
    Status load(const QString &path, int frame = 0, ImageProgress *progress = nullptr);
    // Writes the picture in the type of the name's extension. The file is written under a
    // temporary name in the same folder and renamed over the target only once complete, so a
    // failed save leaves an existing file as it was.
    Status save(const QString &path) const;

    void setJpegQuality(int quality) { m_jpegQuality = quality; }
    int jpegQuality() const { return m_jpegQuality; }
    // Seconds the last load or operation took, for the status bar.
    double seconds() const { return m_seconds; }
    void setSeconds(double seconds) { m_seconds = seconds; }

    // Saving a picture of more than 8 bits per pixel as GIF keeps all its colours, which few
    // programs read: the user is warned first.
    static bool needsTrueColourGifWarning(const Magick::Image &picture, const QString &path);
    static QString trueColourGifWarning();

    // The library once per process, with the limits that turn a damaged or huge picture into an
    // error message instead of exhausting the machine.
    static void initialiseLibrary();
    // The picture as the screen takes it (RGBA, 8 bits a channel); null if it is too big.
    static QImage toQImage(const Magick::Image &picture);
    // A picture made from the screen's pixels (a pasted or captured one, or drawn-on text).
    static Magick::Image fromQImage(const QImage &image);
    // The library's message without its "Magick: " prefix.
    static QString libraryText(const char *what);
    // The library's progress monitor for a read or an operation, with an ImageProgress as its
    // data: the percentage goes into it, and its cancel makes the library stop.
    static MagickCore::MagickBooleanType libraryProgress(const char *, MagickCore::MagickOffsetType offset,
                                                         MagickCore::MagickSizeType span, void *data);

private:
    std::optional<Magick::Image> m_picture;
    std::array<std::optional<Magick::Image>, kUndoSlots> m_slots;
    int m_level = 0;
    int m_type = 0;
    int m_jpegQuality = kDefaultJpegQuality;
    double m_seconds = 0;
};
