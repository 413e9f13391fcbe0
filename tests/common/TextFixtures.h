#pragma once

// Documents the text tests make themselves: a Word package written with libzip, files made from it
// by LibreOffice, and a page of Arabic and English rendered by Qt for recognition.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <zip.h>

namespace TextFixtures {

inline QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

inline QString runs(const QString &text)
{
    return QStringLiteral("<w:r><w:t xml:space=\"preserve\">") + xmlEscaped(text) + QStringLiteral("</w:t></w:r>");
}

inline QString paragraph(const QString &text)
{
    return QStringLiteral("<w:p><w:pPr><w:bidi/></w:pPr>") + runs(text) + QStringLiteral("</w:p>");
}

// A body of paragraphs, then a table (rows of cells), then a paragraph anchoring a text box that is
// written twice, as Word does (the drawing and its fallback).
inline QByteArray documentXml(const QStringList &paragraphs, const QList<QStringList> &table = {},
                              const QString &textBox = {})
{
    QString body;
    for (const QString &p : paragraphs)
        body += paragraph(p);
    if (!table.isEmpty()) {
        body += QStringLiteral("<w:tbl>");
        for (const QStringList &row : table) {
            body += QStringLiteral("<w:tr>");
            for (const QString &cell : row)
                body += QStringLiteral("<w:tc>") + paragraph(cell) + QStringLiteral("</w:tc>");
            body += QStringLiteral("</w:tr>");
        }
        body += QStringLiteral("</w:tbl>");
    }
    if (!textBox.isEmpty()) {
        const QString box = QStringLiteral("<w:txbxContent>") + paragraph(textBox) + QStringLiteral("</w:txbxContent>");
        body += QStringLiteral("<w:p>") + runs(QStringLiteral("قبل الاطار")) +
                QStringLiteral("<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx>") + box +
                QStringLiteral("</wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox>") + box +
                QStringLiteral("</v:textbox></w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>");
    }
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
                "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\" "
                "xmlns:v=\"urn:schemas-microsoft-com:vml\" mc:Ignorable=\"wps\"><w:body>") +
            body + QStringLiteral("<w:sectPr/></w:body></w:document>"))
        .toUtf8();
}

// A minimal Word package around `documentXml`; false when libzip could not write it.
inline bool writeDocx(const QString &path, const QByteArray &document)
{
    static const QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    static const QByteArray rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    QFile::remove(path);
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    // libzip reads the buffers at zip_close, so they must live until then.
    const QList<std::pair<const char *, QByteArray>> parts = {
        {"[Content_Types].xml", types}, {"_rels/.rels", rels}, {"word/document.xml", document}};
    for (const auto &[name, data] : parts) {
        zip_source_t *source = zip_source_buffer(zip, data.constData(), zip_uint64_t(data.size()), 0);
        if (!source || zip_file_add(zip, name, source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

inline QString office()
{
    for (const QString &name : {QStringLiteral("soffice"), QStringLiteral("libreoffice")}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

// Converts `source` to `format` ("doc", "rtf", "pdf") into `folder` with LibreOffice and a private
// profile; the path of the new file, or empty.
inline QString officeConvert(const QString &source, const QString &format, const QString &folder)
{
    QTemporaryDir profile;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(office(), {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                       QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                       format, QStringLiteral("--outdir"), folder, source});
    if (!p.waitForFinished(120000))
        p.kill();
    const QString made = folder + QLatin1Char('/') + QFileInfo(source).completeBaseName() + QLatin1Char('.') + format;
    return QFile::exists(made) ? made : QString();
}

// A white A4 page at 300 dpi with each line in a large clear font, black on white.
inline QImage renderedPage(const QStringList &lines, int pixelSize = 72)
{
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    QPainter painter(&page);
    QFont font(QStringLiteral("Noto Sans Arabic"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = 300;
    for (const QString &line : lines) {
        const bool arabic = line.front().script() == QChar::Script_Arabic;
        painter.setLayoutDirection(arabic ? Qt::RightToLeft : Qt::LeftToRight);
        painter.drawText(QRect(200, y, 2080, pixelSize * 2), (arabic ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         line);
        y += pixelSize * 3;
    }
    return page;
}

// The share of `words` found in `text`, from 0 to 1.
inline double shareFound(const QStringList &words, const QString &text)
{
    int found = 0;
    for (const QString &w : words)
        found += text.contains(w) ? 1 : 0;
    return words.isEmpty() ? 0 : double(found) / double(words.size());
}

} // namespace TextFixtures
