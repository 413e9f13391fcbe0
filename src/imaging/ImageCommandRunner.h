#pragma once

#include "imaging/ImageCommands.h"

// The image windows reach the pixel command table only through here, so the windows build and
// run in a program that carries no table yet: then the list is empty and a run fails plainly.
namespace ImageCommandRunner {

bool available();
QList<ImageCommands::Command> commands();
Result<ImageCommands::Outcome> run(const ImageCommands::Command &command, const Magick::Image &picture,
                                   const ImageCommands::Values &values, ImageProgress *progress);

} // namespace ImageCommandRunner
