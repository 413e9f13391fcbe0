#pragma once

#include "CTwain.h"
#include "base/Result.h"

#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class QProcess;
class QTemporaryDir;

// One acquisition read by the scanning program (dovrelle-scan) in a process of its own, as the
// window sees it: a page announced (and the window's decision on it), its progress, the page
// whole as a picture, and the end. A cancel asks the program to stop; a program that has not
// ended when the grace runs out (a driver that hangs while a page is cancelled) is ended, and so
// is one that is still running when this object goes. A page that did not arrive whole never
// reaches the window.
class ScanProcess : public QObject
{
    Q_OBJECT

public:
    struct Job
    {
        QString program;
        QString library;
        QString device;
        QVariantMap values;
    };

    explicit ScanProcess(QObject *parent = nullptr);
    ~ScanProcess() override;

    Status start(const Job &job);
    bool isRunning() const;
    void cancel();
    // Cancels and waits for the program, ending it when the grace runs out.
    void stop();

    // The window's DecideTransfer (0 take the page, 1 skip it, 2 end); without one every page
    // is taken.
    void setDecision(std::function<int(const ScanPageInfo &)> decide) { m_decide = std::move(decide); }
    void setCancelGrace(int ms) { m_grace.setInterval(ms); }

signals:
    void pageStarted(const ScanPageInfo &info);
    void pageProgress(const ScanPageInfo &info, qint64 bytesRead);
    void pageArrived(const QImage &picture, const ScanPageInfo &info);
    void ended(const ScanOutcome &outcome);

private:
    void readLines();
    void handle(const QByteArray &line);
    void takePicture(int page, const QString &file);
    void programEnded();
    void fail(const QString &problem);

    std::function<int(const ScanPageInfo &)> m_decide;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_program;
    QByteArray m_pending;
    QTimer m_grace;
    ScanPageInfo m_current;
    std::optional<ScanOutcome> m_told;
    QString m_problem;
    int m_pages = 0;
    bool m_cancelled = false;
};
