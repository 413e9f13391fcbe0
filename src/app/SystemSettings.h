#pragma once

#include "base/PathsFile.h"
#include "base/Result.h"
#include "base/SettingsFiles.h"

#include <QDate>
#include <QString>

// The values of the system settings form, as they are read from and written to the paths file and
// the settings files of the database folder.
struct SystemSettings
{
    QString companyName;
    QString databaseFolder;
    QString fileServerFolder;
    QString scannerFolder;
    QString faxFolder;
    QString spareFolder;
    QString markingMode;
    QString seriesBudget; // decimal texts, as typed
    QString seriesNumber;
    QString startDate;    // slot 9 text, day/month/year
    FeedList feeds;

    // Reads every value afresh. `databaseFolder` is where the running program keeps its settings
    // files, which need not be the folder the paths file names.
    static SystemSettings load(const QString &programFolder, const QString &runningDatabaseFolder);

    // Writes every file in the order Agencies.dat, SCons.dat, SCons2.dat, paths file, CDSize.da~,
    // CDSer.da. Every value is checked before the first file is touched: a text too long for its
    // field, a character the code page cannot write or a number out of range writes nothing.
    // Feed numbers are stored as the row numbers 1-10.
    Status save(const QString &programFolder, const QString &runningDatabaseFolder) const;
};
