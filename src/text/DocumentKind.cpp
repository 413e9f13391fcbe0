#include "DocumentKind.h"

#include "DocxReader.h"

#include <QFile>

namespace {

bool startsWith(const QByteArray &head, const char *magic, qsizetype size)
{
    return head.size() >= size && std::equal(magic, magic + size, head.constData());
}

} // namespace

namespace DocumentKinds {

DocumentKind fromHead(const QByteArray &head, bool zipHasWordPart)
{
    if (startsWith(head, "PK\x03\x04", 4))
        return zipHasWordPart ? DocumentKind::Docx : DocumentKind::Unknown;
    // The compound file of Word 97-2003.
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return DocumentKind::Word97;
    if (startsWith(head, "{\\rtf", 5))
        return DocumentKind::Rtf;
    if (startsWith(head, "%PDF-", 5))
        return DocumentKind::Pdf;
    if (startsWith(head, "\x89PNG\r\n\x1A\n", 8) || startsWith(head, "\xFF\xD8\xFF", 3)
        || startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4))
        return DocumentKind::Picture;
    // Text has no zero bytes, except UTF-16, which says so with its byte order mark.
    if (startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2) || !head.contains('\0'))
        return DocumentKind::PlainText;
    return DocumentKind::Unknown;
}

DocumentKind ofFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DocumentKind::Unknown;
    const QByteArray head = file.read(8192);
    file.close();
    const bool zip = head.startsWith("PK\x03\x04");
    return fromHead(head, zip && DocxReader::isWordPackage(path));
}

} // namespace DocumentKinds
