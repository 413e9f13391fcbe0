#include "ImageDocument.h"

#include "ImageTypes.h"
#include "PixelMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <cstring>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ImageDocumentTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageDocument)
};

constexpr MagickCore::MagickSizeType kMiB = 1024 * 1024;
// Within the system policy (which may only lower them): a 16K × 16K picture at most, 128 million
// pixels, and memory past which the library works from disk up to its own disk limit. No time
// limit: the library ends the whole process when a picture outlives it, and a picture can stay
// open all day; long work is stopped with Escape instead.
constexpr MagickCore::MagickSizeType kMemory = 256 * kMiB;
constexpr MagickCore::MagickSizeType kMap = 512 * kMiB;
constexpr MagickCore::MagickSizeType kDisk = 1024 * kMiB;
constexpr MagickCore::MagickSizeType kArea = 128'000'000;
constexpr MagickCore::MagickSizeType kSide = 16'000;

std::string localPath(const QString &path)
{
    // An absolute path is never taken for a "format:" prefix.
    return QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
}

} // namespace

void ImageDocument::initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        PixelMemory::installForLibrary();
        Magick::InitializeMagick(nullptr);
        Magick::ResourceLimits::memory(kMemory);
        Magick::ResourceLimits::map(kMap);
        Magick::ResourceLimits::disk(kDisk);
        Magick::ResourceLimits::area(kArea);
        Magick::ResourceLimits::width(kSide);
        Magick::ResourceLimits::height(kSide);
    });
}

MagickCore::MagickBooleanType ImageDocument::libraryProgress(const char *, const MagickCore::MagickOffsetType offset,
                                                             const MagickCore::MagickSizeType span, void *data)
{
    auto *progress = static_cast<ImageProgress *>(data);
    if (span > 0)
        progress->percent = int(std::clamp<double>(100.0 * double(offset) / double(span), 0, 99));
    return progress->cancelled ? MagickCore::MagickFalse : MagickCore::MagickTrue;
}

QString ImageDocument::libraryText(const char *what)
{
    QString reason = QString::fromLocal8Bit(what).trimmed();
    const qsizetype colon = reason.indexOf(u": "_s);
    if (reason.startsWith(u"Magick"_s) && colon > 0)
        reason = reason.mid(colon + 2);
    return reason;
}

void ImageDocument::setPicture(const Magick::Image &picture, int type)
{
    m_picture = picture;
    m_type = type;
}

void ImageDocument::storeStep()
{
    if (m_level == kUndoSlots) {
        for (int i = 0; i + 1 < kUndoSlots; ++i)
            m_slots[size_t(i)] = std::move(m_slots[size_t(i + 1)]);
        m_level = kUndoSlots - 1;
    }
    // A new change ends the redo history.
    for (int i = m_level; i < kUndoSlots; ++i)
        m_slots[size_t(i)].reset();
    if (m_picture) {
        m_slots[size_t(m_level)] = *m_picture;
        ++m_level;
    }
}

void ImageDocument::change(const Magick::Image &changed)
{
    storeStep();
    m_picture = changed;
}

bool ImageDocument::undo()
{
    if (!canUndo())
        return false;
    --m_level;
    std::swap(m_picture, m_slots[size_t(m_level)]);
    return true;
}

bool ImageDocument::redo()
{
    if (!canRedo())
        return false;
    std::swap(m_picture, m_slots[size_t(m_level)]);
    ++m_level;
    return true;
}

Result<int> ImageDocument::frameCount(const QString &path)
{
    initialiseLibrary();
    MagickCore::ImageInfo *info = MagickCore::CloneImageInfo(nullptr);
    MagickCore::ExceptionInfo *exception = MagickCore::AcquireExceptionInfo();
    const std::string name = localPath(path);
    name.copy(info->filename, MagickPathExtent - 1);
    info->filename[std::min(name.size(), size_t(MagickPathExtent - 1))] = '\0';
    MagickCore::Image *frames = MagickCore::PingImages(info, exception);
    const int count = frames ? int(MagickCore::GetImageListLength(frames)) : 0;
    QString reason;
    if (!frames)
        reason = exception->reason ? libraryText(exception->reason) : QString();
    if (frames)
        MagickCore::DestroyImageList(frames);
    MagickCore::DestroyExceptionInfo(exception);
    MagickCore::DestroyImageInfo(info);
    if (count < 1)
        return Result<int>::failure(ImageDocumentTr::tr("تعذر فتح الصورة %1: %2").arg(QDir::toNativeSeparators(path), reason));
    return count;
}

Status ImageDocument::load(const QString &path, int frame, ImageProgress *progress)
{
    initialiseLibrary();
    m_picture.reset();
    const int type = ImageTypes::typeOfName(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (type == ImageTypes::kNoType)
        return Status::refused(ImageDocumentTr::tr("نوع الملف %1 ليس من انواع الصور المعروفة").arg(shown));
    if (!QFileInfo(path).isFile())
        return Status::failure(ImageDocumentTr::tr("الملف %1 غير موجود").arg(shown));
    QElapsedTimer timer;
    timer.start();
    Magick::Image picture;
    if (progress)
        MagickCore::SetImageInfoProgressMonitor(picture.imageInfo(), libraryProgress, progress);
    // The picture outlives this read: it must not keep reporting into `progress`.
    const auto unwatch = [&picture, progress] {
        if (progress) {
            MagickCore::SetImageInfoProgressMonitor(picture.imageInfo(), nullptr, nullptr);
            if (picture.isValid())
                MagickCore::SetImageProgressMonitor(picture.image(), nullptr, nullptr);
        }
    };
    try {
        try {
            picture.read(localPath(path) + '[' + std::to_string(frame) + ']');
        } catch (const Magick::Warning &) {
            // A damaged tail still gives the picture it has.
        }
    } catch (const std::exception &e) {
        unwatch();
        if (progress && progress->cancelled)
            return Status::failure(ImageDocumentTr::tr("توقفت قراءة الصورة %1").arg(shown));
        return Status::failure(ImageDocumentTr::tr("تعذر فتح الصورة %1: %2").arg(shown, libraryText(e.what())));
    }
    unwatch();
    if (progress && progress->cancelled)
        return Status::failure(ImageDocumentTr::tr("توقفت قراءة الصورة %1").arg(shown));
    if (picture.columns() == 0 || picture.rows() == 0)
        return Status::failure(ImageDocumentTr::tr("تعذر فتح الصورة %1").arg(shown));
    m_seconds = double(timer.nsecsElapsed()) / 1e9;
    m_picture = picture;
    m_type = type;
    m_level = 0;
    for (auto &slot : m_slots)
        slot.reset();
    return {};
}

Status ImageDocument::save(const QString &path) const
{
    initialiseLibrary();
    const QString shown = QDir::toNativeSeparators(path);
    if (!m_picture)
        return Status::refused(ImageDocumentTr::tr("لا توجد صورة للحفظ"));
    const ImageTypes::Type *type = ImageTypes::find(ImageTypes::typeOfName(path));
    if (!type || !type->write)
        return Status::refused(ImageDocumentTr::tr("لا يمكن حفظ الصورة بنوع الملف %1").arg(shown));

    const QFileInfo target(path);
    QTemporaryFile temporary(target.absolutePath() + u"/."_s + target.fileName() + u".XXXXXX"_s);
    if (!temporary.open())
        return Status::failure(ImageDocumentTr::tr("تعذر حفظ الصورة %1: %2").arg(shown, temporary.errorString()));
    temporary.close();
    const QString written = temporary.fileName();
    try {
        Magick::Image copy = *m_picture;
        copy.magick(type->magick);
        if (type->id == ImageTypes::kJpeg)
            copy.quality(size_t(m_jpegQuality));
        try {
            copy.write(std::string(type->magick) + ':' + QFile::encodeName(written).toStdString());
        } catch (const Magick::Warning &) {
            // Written, with a remark of the coder.
        }
    } catch (const std::exception &e) {
        return Status::failure(ImageDocumentTr::tr("تعذر حفظ الصورة %1: %2").arg(shown, libraryText(e.what())));
    }
    if (QFileInfo(written).size() <= 0)
        return Status::failure(ImageDocumentTr::tr("تعذر حفظ الصورة %1").arg(shown));
    // The new file reads like the one it replaces (a temporary file is private to its owner).
    const QFileDevice::Permissions keep = target.exists()
                                              ? QFile::permissions(path)
                                              : (QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                 | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QFile::setPermissions(written, keep);
    if (std::rename(QFile::encodeName(written).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return Status::failure(ImageDocumentTr::tr("تعذر حفظ الصورة %1").arg(shown));
    temporary.setAutoRemove(false);
    return {};
}

bool ImageDocument::needsTrueColourGifWarning(const Magick::Image &picture, const QString &path)
{
    return ImageTypes::typeOfName(path) == ImageTypes::kGif && ImageTypes::bitsPerPixel(picture) > 8;
}

QString ImageDocument::trueColourGifWarning()
{
    return u"The image will be saved as a true color GIF!\nThis is ok for this program, but not for many other "
           u"programs.\nFor better compatibility, please use DecreaseBpp to 8 bits or less."_s;
}

Magick::Image ImageDocument::fromQImage(const QImage &image)
{
    // A scanned, pasted or captured picture keeps the depth it came with: a grey page stays 8
    // bits and an opaque colour one 24, only a picture with transparency gets its alpha channel.
    // Rows are padded to 4 bytes in QImage, so they are handed over one by one.
    const auto import = [](const QImage &pixels, const char *map, int bytesPerPixel) {
        const int w = pixels.width();
        QByteArray packed(qsizetype(w) * bytesPerPixel * pixels.height(), Qt::Uninitialized);
        for (int y = 0; y < pixels.height(); ++y)
            std::memcpy(packed.data() + qsizetype(y) * w * bytesPerPixel, pixels.constScanLine(y), size_t(w) * bytesPerPixel);
        return Magick::Image(size_t(w), size_t(pixels.height()), map, Magick::CharPixel, packed.constData());
    };
    if (image.hasAlphaChannel())
        return import(image.convertToFormat(QImage::Format_RGBA8888), "RGBA", 4);
    if (image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Mono
        || image.format() == QImage::Format_MonoLSB || (image.format() == QImage::Format_Indexed8 && image.isGrayscale())) {
        Magick::Image grey = import(image.convertToFormat(QImage::Format_Grayscale8), "I", 1);
        grey.type(MagickCore::GrayscaleType);
        return grey;
    }
    return import(image.convertToFormat(QImage::Format_RGB888), "RGB", 3);
}

QImage ImageDocument::toQImage(const Magick::Image &picture)
{
    const int w = int(picture.columns());
    const int h = int(picture.rows());
    QImage pixels = PixelMemory::image(w, h, QImage::Format_RGBA8888);
    if (pixels.isNull())
        return {};
    Magick::Image rgb = picture;
    const MagickCore::ColorspaceType space = picture.colorSpace();
    try {
        // Printing separations and other colour models would come out as nonsense channels.
        if (space != MagickCore::sRGBColorspace && space != MagickCore::RGBColorspace
            && space != MagickCore::GRAYColorspace && space != MagickCore::UndefinedColorspace)
            rgb.colorSpace(MagickCore::sRGBColorspace);
    } catch (const std::exception &) {
        return {};
    }
    // Read through the shared pixels: no copy of a picture that only is looked at. Rows of
    // RGBA8888 are never padded, so the library fills the buffer in one go.
    MagickCore::ExceptionInfo *exception = MagickCore::AcquireExceptionInfo();
    const bool ok = MagickCore::ExportImagePixels(rgb.constImage(), 0, 0, size_t(w), size_t(h), "RGBA",
                                                  MagickCore::CharPixel, pixels.bits(), exception)
                    == MagickCore::MagickTrue;
    MagickCore::DestroyExceptionInfo(exception);
    return ok ? pixels : QImage();
}
