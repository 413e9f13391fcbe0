#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The text of a Word package (docx): the paragraphs of the body in reading order, a table row
// per line with its cells separated by tabs, and the paragraphs of a text box after the paragraph
// that holds it. Read straight from the package, without an outside program.
class DocxReader
{
    Q_DECLARE_TR_FUNCTIONS(DocxReader)

public:
    static bool isWordPackage(const QString &path);
    static Result<QString> read(const QString &path);
    // The text of the main part "word/document.xml" itself.
    static Result<QString> textOfDocumentXml(const QByteArray &xml);
};
