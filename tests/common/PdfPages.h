#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

// The pages of a PDF as its page objects count them; -1 for a file that cannot be read.
inline int pdfPageCount(const QByteArray &bytes)
{
    return int(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

inline int pdfPageCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return pdfPageCount(f.readAll());
}
