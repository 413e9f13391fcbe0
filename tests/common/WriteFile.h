#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

// Writes bytes to path, making the folders on the way; the test fails where it cannot.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A file of size bytes, each of them fill.
inline void writeSized(const QString &path, qint64 size, char fill = 'x')
{
    writeFile(path, QByteArray(size, fill));
}
