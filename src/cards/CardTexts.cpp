#include "CardTexts.h"

#include "base/Cp1256.h"
#include "base/HandOffFolder.h"

#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// A snippet file holds at most this much of a ready-made text; an exported text at most that.
constexpr qint64 kSnippetBytes = 1000;
constexpr qint64 kExportBytes = 40000;

} // namespace

int CardTexts::rowForHandedText(QList<TextItem> &texts)
{
    const bool lastIsEmpty = !texts.isEmpty() && !texts.last().archived && texts.last().keywords.isEmpty()
                             && texts.last().text.isEmpty();
    if (!lastIsEmpty)
        texts.append(TextItem());
    return int(texts.size()) - 1;
}

void CardTexts::setCellText(QList<TextItem> &texts, int row, int column, const QString &text)
{
    if (row < 0 || row >= texts.size())
        return;
    if (column == TextKeywords)
        texts[row].keywords = text;
    else if (column == TextBody)
        texts[row].text = text;
}

Result<QString> CardTexts::readSnippet(const QString &databaseFolder, int digit)
{
    QFile file(databaseFolder + u'/' + QString::number(digit) + u".txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(tr("تعذر فتح الملف %1").arg(QDir::toNativeSeparators(file.fileName())));
    QByteArray bytes = file.read(kSnippetBytes);
    if (const qsizetype end = bytes.indexOf('\0'); end >= 0)
        bytes.truncate(end);
    return Cp1256::decode(bytes);
}

Status CardTexts::exportText(const QString &text, const QString &programFolder)
{
    const Result<QByteArray> bytes = Cp1256::encode(text);
    if (!bytes)
        return Status::from(bytes);
    const QString path = textHandOffPath(programFolder);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes->left(kExportBytes)) != std::min<qint64>(bytes->size(), kExportBytes))
        return Status::failure(tr("تعذر كتابة الملف %1").arg(QDir::toNativeSeparators(path)));
    return {};
}
