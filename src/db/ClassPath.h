#pragma once

#include <QList>
#include <QString>

// A card's classifications as one text: "@" + code + "@" + code + ... + "@". The access list of a
// user has the same form. A path holds code C exactly when it contains "@C@".
namespace ClassPath {

// How many of a path's codes a card shows; the search and the tree still use all of them.
inline constexpr int kShownCodes = 6;

QString make(const QList<qint32> &codes);
bool contains(const QString &path, qint32 code);
// The codes in the order they stand, at most `limit` of them (all when limit < 0). A piece that
// does not start with digits reads as 0, as the path was always read.
QList<qint32> codes(const QString &path, int limit = -1);
// Whether a user with this access list may see a card filed under the path: one of the codes the
// card shows is in the list.
bool permits(const QString &accessList, const QString &path);

} // namespace ClassPath
