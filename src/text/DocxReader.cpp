#include "DocxReader.h"

#include <QFile>
#include <QList>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const char *const kMainPart = "word/document.xml";
// A document part larger than this is not a letter but an attack on memory.
constexpr zip_uint64_t kLargestPart = 512ull * 1024 * 1024;

struct ZipCloser
{
    void operator()(zip_t *z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;

Zip openPackage(const QString &path)
{
    int error = 0;
    return Zip(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error));
}

// One paragraph being read; text boxes anchored in it are read as paragraphs of their own and
// follow it.
struct Paragraph
{
    QString text;
    QStringList boxes;
};

} // namespace

bool DocxReader::isWordPackage(const QString &path)
{
    const Zip zip = openPackage(path);
    return zip && zip_name_locate(zip.get(), kMainPart, 0) >= 0;
}

Result<QString> DocxReader::read(const QString &path)
{
    const Zip zip = openPackage(path);
    if (!zip)
        return Result<QString>::failure(tr("الملف ليس حزمة Word سليمة"));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip.get(), kMainPart, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return Result<QString>::failure(tr("حزمة Word بلا نص"));
    if (st.size > kLargestPart)
        return Result<QString>::failure(tr("نص حزمة Word اكبر مما يقرأ"));
    zip_file_t *part = zip_fopen(zip.get(), kMainPart, 0);
    if (!part)
        return Result<QString>::failure(tr("تعذر قراءة حزمة Word"));
    QByteArray xml(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(part, xml.data(), st.size);
    zip_fclose(part);
    if (got != zip_int64_t(st.size))
        return Result<QString>::failure(tr("تعذر قراءة حزمة Word"));
    return textOfDocumentXml(xml);
}

Result<QString> DocxReader::textOfDocumentXml(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QStringList lines;
    QList<Paragraph> open;
    // Inside a fallback of alternate content the same text box is written a second time.
    int fallbackDepth = 0;
    // The cells of the table rows being read, innermost last.
    QList<QStringList> rows;
    bool inText = false;

    const auto closeParagraph = [&] {
        Paragraph p = open.takeLast();
        QStringList out{p.text};
        out += p.boxes;
        if (!open.isEmpty()) {
            // A text box's paragraph: it follows the paragraph that anchors it.
            open.last().boxes += out;
        } else if (!rows.isEmpty()) {
            QStringList &cells = rows.last();
            if (cells.isEmpty())
                cells.append(QString());
            QString &cell = cells.last();
            cell += (cell.isEmpty() ? QString() : u" "_s) + out.join(u' ');
        } else {
            lines += out;
        }
    };

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.qualifiedName();
            if (fallbackDepth > 0) {
                if (name == u"mc:Fallback")
                    ++fallbackDepth;
                continue;
            }
            if (name == u"mc:Fallback")
                fallbackDepth = 1;
            else if (name == u"w:p")
                open.append(Paragraph());
            else if (name == u"w:t")
                inText = true;
            else if (!open.isEmpty() && name == u"w:tab")
                open.last().text += u'\t';
            else if (!open.isEmpty() && (name == u"w:br" || name == u"w:cr"))
                open.last().text += u'\n';
            else if (name == u"w:tr")
                rows.append(QStringList());
            else if (name == u"w:tc" && !rows.isEmpty())
                rows.last().append(QString());
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.qualifiedName();
            if (fallbackDepth > 0) {
                if (name == u"mc:Fallback")
                    --fallbackDepth;
                continue;
            }
            if (name == u"w:t")
                inText = false;
            else if (name == u"w:p" && !open.isEmpty())
                closeParagraph();
            else if (name == u"w:tr" && !rows.isEmpty()) {
                const QString row = rows.takeLast().join(u'\t');
                if (!open.isEmpty())
                    open.last().boxes.append(row);
                else if (!rows.isEmpty()) {
                    if (rows.last().isEmpty())
                        rows.last().append(QString());
                    rows.last().last() += row;
                }
                else
                    lines.append(row);
            }
        } else if (token == QXmlStreamReader::Characters && inText && fallbackDepth == 0 && !open.isEmpty()) {
            open.last().text += reader.text();
        }
    }
    if (reader.hasError())
        return Result<QString>::failure(tr("نص حزمة Word تالف: %1").arg(reader.errorString()));
    return lines.join(u'\n');
}
