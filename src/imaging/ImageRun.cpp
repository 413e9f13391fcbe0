#include "imaging/ImageRun.h"

#include "imaging/ImageCommandIds.h"
#include "imaging/ImageDocument.h"

#include <QCoreApplication>

#include <exception>

namespace ImageCommands {
namespace {

struct ImageRunTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageCommands)
};

// Watches one working copy, and takes the watch off every result again so no picture that
// leaves keeps pointing at this run's progress.
class MonitorScope
{
public:
    MonitorScope(Magick::Image &work, ImageProgress *progress) : m_work(work)
    {
        if (progress)
            MagickCore::SetImageProgressMonitor(m_work.image(), ImageDocument::libraryProgress, progress);
    }
    ~MonitorScope() { release(m_work); }
    static void release(Magick::Image &image)
    {
        if (image.isValid())
            MagickCore::SetImageProgressMonitor(image.image(), nullptr, nullptr);
    }

private:
    Magick::Image &m_work;
};

void releaseAll(Outcome &outcome)
{
    if (outcome.picture)
        MonitorScope::release(*outcome.picture);
    for (NewPicture &p : outcome.newPictures)
        MonitorScope::release(p.picture);
}

QString libraryText(const std::exception &e)
{
    QString text = QString::fromLocal8Bit(e.what()).trimmed();
    // ImageMagick puts the program's own name in front: "dovrelle: unable to open image ..."
    return text.isEmpty() ? ImageRunTr::tr("تعذّر تنفيذ الأمر على الصورة.") : text;
}

int sourcesNeeded(const Command &command)
{
    switch (command.id) {
    case Ids::Combine: return 3; // the fourth, alpha, may be left out
    case Ids::Fft: return 0;     // the picture itself is the real part when none is given
    default: return command.sources;
    }
}

} // namespace

Result<Outcome> run(const Command &command, const Magick::Image &picture, const Values &values,
                    const QList<Magick::Image> &sources, ImageProgress *progress)
{
    // The library as every reader of pictures sets it up: the program's limits and its allocator.
    ImageDocument::initialiseLibrary();
    if (!picture.isValid() || picture.columns() == 0 || picture.rows() == 0)
        return Result<Outcome>::refused(ImageRunTr::tr("لا توجد صورة يعمل عليها الأمر."));
    if (sources.size() < sourcesNeeded(command))
        return Result<Outcome>::refused(
            ImageRunTr::tr("الأمر %1 يحتاج %2 من الصور الأخرى.").arg(command.name).arg(command.sources));
    for (const Magick::Image &s : sources)
        if (!s.isValid() || s.columns() == 0)
            return Result<Outcome>::refused(ImageRunTr::tr("إحدى الصور الأخرى فارغة."));
    const Result<Values> checked = resolve(command, picture, values);
    if (!checked)
        return Result<Outcome>::refused(checked.error());
    if (progress)
        progress->percent = 0;
    try {
        Magick::Image work = picture;
        work.modifyImage();
        work.quiet(true);
        Result<Outcome> outcome = Result<Outcome>::failure(QString());
        {
            MonitorScope watch(work, progress);
            const Detail::Context context{command, *checked, sources, progress};
            outcome = command.changesPicture ? Detail::transform(context, work) : Detail::makeNew(context, work);
        }
        if (outcome)
            releaseAll(*outcome);
        if (progress && progress->cancelled)
            return Result<Outcome>::failure(cancelledMessage());
        if (progress && outcome)
            progress->percent = 100;
        return outcome;
    } catch (const Magick::Exception &e) {
        if (progress && progress->cancelled)
            return Result<Outcome>::failure(cancelledMessage());
        return Result<Outcome>::failure(libraryText(e));
    } catch (const std::exception &e) {
        return Result<Outcome>::failure(libraryText(e));
    } catch (...) {
        return Result<Outcome>::failure(ImageRunTr::tr("تعذّر تنفيذ الأمر على الصورة."));
    }
}

namespace Detail {

Magick::Color colourOf(QRgb rgba)
{
    const auto q = [](int v) { return MagickCore::Quantum(v * 257); };
    return Magick::Color(q(qRed(rgba)), q(qGreen(rgba)), q(qBlue(rgba)), q(255 - qAlpha(rgba)));
}

ImageOps::Space spaceOf(int choice)
{
    static constexpr ImageOps::Space spaces[] = {ImageOps::Space::Rgb, ImageOps::Space::Hsl, ImageOps::Space::Yuv,
                                                 ImageOps::Space::Yiq, ImageOps::Space::Xyz};
    return spaces[std::clamp(choice, 0, 4)];
}

} // namespace Detail
} // namespace ImageCommands
