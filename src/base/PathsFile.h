#pragma once

#include "Result.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// "COM/pathes.txt" under the program folder: ten slots of 120 bytes. A slot holds its value, one
// "*" and a zero byte; the start date in slot 9 ends with "***" instead. A value is read up to the
// first "*", so it can never hold one.
class PathsFile
{
public:
    static constexpr int kSlotCount = 10;
    static constexpr int kSlotSize = 120;
    static constexpr int kFileSize = kSlotCount * kSlotSize;

    enum Slot {
        DatabaseFolder = 0,
        FileServerFolder = 1,
        ScannerFolder = 2,
        FaxFolder = 3,
        SpareFolder = 4,
        MarkingMode = 6,
        StartDate = 9,
    };

    using Values = std::array<QString, kSlotCount>;

    struct Contents
    {
        Values values;
        bool firstRun = true; // the file's first byte is zero (or the file is missing)
    };

    static QString path(const QString &programFolder);
    // The journal of a settings save in progress (FixedRecord::writeAllOrNothing), beside the
    // paths file: the settings form saves this file and those of the database folder as one.
    static QString settingsJournalPath(const QString &programFolder);

    static Contents read(const QString &programFolder);
    static Status write(const QString &programFolder, const Values &values);

    static Contents parse(const QByteArray &bytes);
    // Refuses a value that holds "*" or needs more bytes than its slot leaves, naming the slot.
    static Result<QByteArray> compose(const Values &values);

    // How a folder is written into slot 0 or 1: relative to the program folder when it lies
    // inside it ("DataBase"), so that a copied program folder works on its own copy; a folder
    // elsewhere (a shared database folder on a server) stays absolute.
    static QString storedFolder(const QString &programFolder, const QString &folder);
    // The folder a slot's value names: a relative value is taken from the program folder, an
    // absolute or empty one as it is.
    static QString resolvedFolder(const QString &programFolder, const QString &value);

    // Slot 9: day/month/year in decimal without leading zeros (5/3/2006).
    static QString formatStartDate(QDate date);
    static std::optional<QDate> parseStartDate(const QString &text);

    // The most bytes a slot's value may take in code page 1256.
    static int maxValueBytes(int slot);
};
