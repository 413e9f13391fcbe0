#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Helpers for the fixed-size binary records of the settings and hand-off files: 32-bit
// little-endian integers and zero-terminated code page 1256 texts at fixed offsets. Reading is
// forgiving (bytes a file does not have count as zero); writing refuses what a field cannot hold.
namespace FixedRecord {

// The first `size` bytes of the file, padded with zero bytes; a missing or unreadable file reads
// as all zeros.
QByteArray readPadded(const QString &path, qsizetype size);

// Replaces the file's whole content. The new content is written beside the file and renamed
// over it, so a failure leaves the previous content intact.
Status writeWhole(const QString &path, const QByteArray &bytes);

// Several files written as one: after a crash, a reader finds either all of them as they were or
// all of them new. The journal names the files; each new content is written whole beside its
// file ("NAME.new"); the journal is written again with a last line "commit", which is the moment
// the save counts as done; then each file is renamed into place and the journal goes.
// finishWrites completes what a writer that died after that moment left, and removes the new
// contents of one that died before it.
struct FileContent
{
    QString path;
    QByteArray bytes;
};
Status writeAllOrNothing(const QString &journal, const QList<FileContent> &files);
// What the next start does first: renames into place what a committed journal names, or removes
// what an uncommitted one names; then removes the journal.
Status finishWrites(const QString &journal);

qint32 int32At(const QByteArray &record, qsizetype offset);
void putInt32(QByteArray &record, qsizetype offset, qint32 value);

// The text from `offset` up to the first zero byte, at most `size` bytes.
QString textAt(const QByteArray &record, qsizetype offset, qsizetype size);

// Writes the text and its terminating zero into the field; the field's other bytes become zero.
// Refuses a text whose encoding needs more than size - 1 bytes, naming the field and the limit.
Status putText(QByteArray &record, qsizetype offset, qsizetype size, const QString &text,
               const QString &fieldName);

// The bytes the text needs in code page 1256, or a failure when it cannot be encoded.
Result<QByteArray> encodeField(const QString &text, qsizetype maxBytes, const QString &fieldName);

// Reads a decimal integer the way the settings form does: leading blanks, an optional sign and
// digits; anything that is not a number gives 0. A number outside the signed 32-bit range fails.
Result<qint32> parseInt32(const QString &text, const QString &fieldName);

} // namespace FixedRecord
