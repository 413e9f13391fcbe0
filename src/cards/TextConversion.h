#pragma once

#include "base/Result.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>

// One conversion of a file's text for the card: the files handed to the converter and back, the
// lock that keeps two conversions of this workstation from mixing them, and how long the
// converter may take. The window that waits for the converter lives in TextEntry.
class TextConversion
{
    Q_DECLARE_TR_FUNCTIONS(TextConversion)

public:
    // The description column takes at most this much of a file's text.
    static constexpr qint64 kTakenBytes = 20000;
    // What any conversion may take, and what each recognised page adds to it.
    static constexpr int kBaseWaitMs = 60000;
    static constexpr int kWaitPerPageMs = 30000;

    // The text after the last "." of the file's name; empty when there is none, when the name
    // starts with its only "." or ends with one.
    static QString extensionOf(const QString &path);
    // The extensions whose text can be taken: the Word, RTF and text ones as written, and the
    // PDF and picture ones in any letter case.
    static bool isConvertible(const QString &path);
    static QString notTextMessage(); // "الملف غير نصي"

    // Where the converter is: COM/dovrelle-mw of the program folder when present, else the one
    // beside the program.
    static QString converterProgram(const QString &programFolder);

    static int waitFor(int recognisedPages) { return kBaseWaitMs + kWaitPerPageMs * recognisedPages; }
    // The page count a converter announces on a line of its output ("pages 12").
    static std::optional<int> announcedPages(const QByteArray &line);
    static std::optional<int> announcedPage(const QByteArray &line);

    explicit TextConversion(QString handOffFolder);
    ~TextConversion();
    TextConversion(const TextConversion &) = delete;
    TextConversion &operator=(const TextConversion &) = delete;

    // Takes the lock, empties the converter's output and copies `path` to the converter's input.
    // Refused while another conversion holds the lock.
    Status prepare(const QString &path);
    // What the converter wrote: at most kTakenBytes of it, read as code page 1256. A failure
    // when it wrote nothing.
    Result<QString> takeText() const;
    // Gives the hand-off files up for the next conversion.
    void release();

    QString inputPath() const;
    QString outputPath() const;
    QString lockPath() const;

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};
