#pragma once

#include "base/BackgroundLoader.h"
#include "search/Printing.h"

#include <QObject>
#include <QStringList>

// Hands files to the print command one after the other on a thread of its own, so that the window
// stays usable while each command runs. A cancel ends the command that is running and hands over
// nothing more; every file that was not printed is named in a failure.
class PrintHandOver : public QObject
{
    Q_OBJECT

public:
    explicit PrintHandOver(QObject *parent = nullptr);
    ~PrintHandOver() override;

    void start(const QString &printCommand, const QStringList &files, int timeoutMs = Printing::kCommandTimeoutMs);
    // Stops the running command and the files after it; `finished` still comes.
    void cancel();
    bool isRunning() const;

signals:
    // The file at `index` goes to the print command now.
    void handingOver(int index, const QString &file);
    void failure(const QString &message);
    void finished();

private:
    BackgroundLoader *m_loader;
};
