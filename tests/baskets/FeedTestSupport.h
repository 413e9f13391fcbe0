#pragma once

#include "baskets/FeedIndex.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// Helpers shared by the feed tests: the real feed writer and hand-made index files.
namespace FeedTest {

inline QString toolPath()
{
    const QString bin = qEnvironmentVariable("DOVRELLE_BIN");
    return (bin.isEmpty() ? QStringLiteral("bin") : bin) + QStringLiteral("/dovrelle-feed");
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
    bool finished = false;
};

// Runs dovrelle-feed with the arguments and waits for it.
inline Run runTool(const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.start(toolPath(), arguments);
    Run run;
    if (!process.waitForStarted(10000))
        return run;
    run.finished = process.waitForFinished(timeoutMs);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// "add --folder F --index I" followed by the rest.
inline Run add(const QString &folder, const QString &index, const QStringList &rest)
{
    return runTool(QStringList{QStringLiteral("add"), QStringLiteral("--folder"), folder, QStringLiteral("--index"), index}
                   + rest);
}

// A JPEG picture of one colour with a darker band, so that it is not trivially compressible.
inline QString writeJpeg(const QString &path, QSize size = {320, 240}, QColor colour = QColor(40, 120, 200))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = 0; y < size.height(); y += 8)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 3) % 256, 90));
    EXPECT_TRUE(image.save(path, "JPEG", 85)) << path.toStdString();
    return path;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes, bool append = false)
{
    QFile file(path);
    ASSERT_TRUE(file.open(append ? QIODevice::Append : QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray record(qint32 sequence, const QString &name)
{
    const Result<QByteArray> bytes = FeedIndex::composeRecord(sequence, name);
    EXPECT_TRUE(bytes.ok()) << bytes.error().toStdString();
    return bytes.ok() ? *bytes : QByteArray(FeedIndex::kRecordSize, '\0');
}

// Everything in the folder, hidden entries included.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace FeedTest
