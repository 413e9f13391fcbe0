#include "ImageCommandRunner.h"

#include <QCoreApplication>

namespace ImageCommandRunner {

#ifdef DOVRELLE_HAVE_IMAGE_COMMANDS
bool available()
{
    return true;
}

QList<ImageCommands::Command> commands()
{
    return ImageCommands::all();
}

Result<ImageCommands::Outcome> run(const ImageCommands::Command &command, const Magick::Image &picture,
                                   const ImageCommands::Values &values, ImageProgress *progress)
{
    return ImageCommands::run(command, picture, values, {}, progress);
}
#else
bool available()
{
    return false;
}

QList<ImageCommands::Command> commands()
{
    return {};
}

Result<ImageCommands::Outcome> run(const ImageCommands::Command &, const Magick::Image &, const ImageCommands::Values &,
                                   ImageProgress *)
{
    return Result<ImageCommands::Outcome>::refused(
        QCoreApplication::translate("ImageCommandRunner", "أوامر الصور غير متوفرة في هذا البرنامج"));
}
#endif

} // namespace ImageCommandRunner
