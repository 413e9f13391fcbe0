#pragma once

#include <QString>

// How an item's name decides its row kind and type code.
namespace FileTypes {

// The text after the last dot; "NOEXTEN" when the name has no dot, starts with its only dot or
// ends with a dot.
QString extension(const QString &name);
inline QString noExtension() { return QStringLiteral("NOEXTEN"); }

// The type code n5 of an extension (any letter case).
int typeCode(const QString &extension);

// Whether the item is a picture: the extension as written in the name must stand in the list of
// picture extensions, whose letter cases are fixed ("png" is a picture, "PNG" is not).
bool isImage(const QString &extension);

// Whether a page drags its companion "_files" folder along: only lower-case "htm" and "html".
bool isCompanionPage(const QString &extension);

} // namespace FileTypes
