#pragma once

#include <QString>

// What a file's extension makes of it in each window: a picture shown as itself, or a type icon
// of COM/ICONS. The windows grew their own lists and the stored archives rely on each of them,
// so every list keeps its own letter-case rule; they live together so that the differences show.
namespace FileKinds {

// The picture extensions of the archive: ";BMP;bmp;gif;...;", in their fixed letter cases. An
// archived file whose extension stands in it becomes a picture row; the print hand-off sends the
// files it names to the picture printer.
const QString &archivePictureList();
// Whether an extension, as written, stands in the archive's list ("png" does, "PNG" does not).
bool isArchivePicture(const QString &extension);

// Whether the thumbnail browser shows the file itself: compared exactly ("JPG" and "jpg" are
// pictures, "Jpg" is not).
bool isBrowserPicture(const QString &extension);
// Whether a basket viewer's double click opens the preview window rather than the desktop's own
// program: compared exactly, lower case only.
bool isPreviewPicture(const QString &extension);

// The report's icon for a file row: the extension must be written in upper case. Empty when the
// report has no icon for it. A folder always shows FOLDER.jpg.
QString reportIcon(const QString &extension);
QString folderIcon();
// The thumbnail browser's icon: the extension in any letter case, any.jpg for the rest.
QString browserIcon(const QString &extension);

} // namespace FileKinds
