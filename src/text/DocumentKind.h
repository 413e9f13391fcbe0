#pragma once

#include <QByteArray>
#include <QString>

// What a file to convert holds, told from its first bytes: the hand-off copy is always named
// "1.tmp", so its name says nothing.
enum class DocumentKind { PlainText, Docx, Word97, Rtf, Pdf, Picture, Unknown };

namespace DocumentKinds {

// `head` is the start of the file (a few kilobytes are enough); `zipHasWordPart` answers whether
// a zip package holds "word/document.xml".
DocumentKind fromHead(const QByteArray &head, bool zipHasWordPart);
// Reads the head of the file itself.
DocumentKind ofFile(const QString &path);

} // namespace DocumentKinds
