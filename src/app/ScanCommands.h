#pragma once

#include "scan/CTwain.h"
#include "scan/ScanProcess.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>

#include <functional>
#include <memory>
#include <optional>

class CMainFrame;
class QSettings;
struct AppState;

// Select Source and Acquire of the main window. The scanner library is opened when the frame is
// made and closed when it closes; without it both commands only leave a note in the status bar.
// The device is chosen and set here; its pages are read by the scanning program in a process of
// its own (a driver that hangs or crashes takes no open document with it), with a progress
// dialog per page whose Cancel ends the acquisition. Every whole page opens as an image document
// "Acquired Image %d" numbered with the counter pasted pictures use.
class ScanCommands : public QObject
{
    Q_OBJECT

public:
    ScanCommands(CMainFrame &frame, AppState &state, QSettings &profile,
                 const QString &libraryFile = QString::fromLatin1(SaneLibrary::kDefaultFile));
    ~ScanCommands() override;

    void selectSource();
    void acquire();
    // Stops a reading (ending the scanning program) and closes the library; the frame calls it at
    // close.
    void release();
    // Drops the library in use and opens another one (tests: a library that does not exist).
    void useLibrary(const QString &libraryFile);

    bool isAvailable() const;
    bool isBusy() const { return m_reading; }
    CTwain &client();
    QProgressDialog *progress() const { return m_progress; }

    // The frame's DecideTransfer (0 take the page, 1 skip it, 2 end): called before each page.
    // Without one every page is taken.
    void setTransferDecision(std::function<int(const ScanPageInfo &)> decide);
    // The scanning program (tests: the one of the build, or a misbehaving one of their own).
    void setScanProgram(const QString &program) { m_program = program; }
    ScanProcess &reading() { return m_process; }
    // Tests: answer the options dialog without showing it (true: scan, false: cancel).
    void setOptionsAnswer(std::optional<bool> answer) { m_optionsAnswer = answer; }

signals:
    // An acquisition ended; the pages it opened.
    void acquisitionEnded(int pages);

private:
    void note(const QString &text);
    bool openSource();
    void startReading();
    void pageStarted(const ScanPageInfo &info);
    void pageProgress(const ScanPageInfo &info, qint64 bytesRead);
    void takeImage(const QImage &image, const ScanPageInfo &info);
    void readingEnded(const ScanOutcome &outcome);

    CMainFrame &m_frame;
    AppState &m_state;
    QSettings &m_profile;
    std::unique_ptr<CTwain> m_client;
    QString m_library;
    QString m_program;
    std::optional<bool> m_optionsAnswer;
    ScanProcess m_process;
    bool m_reading = false;
    QPointer<QProgressDialog> m_progress;
    int m_progressPage = 0;
    int m_opened = 0;
    bool m_closing = false;
};
