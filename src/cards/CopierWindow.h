#pragma once

#include "cards/CopyOrder.h"

#include <QDialog>

class QLabel;
class QProgressBar;

// The copier's window: which file is being copied and how far the whole run has come. It cannot
// be closed while copying: stopping half-way would drop orders already taken from the list.
class CopierWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CopierWindow(CopyHandOff::Copier list, QWidget *parent = nullptr);

    void addPlanned(qint64 files, qint64 bytes);
    void addCopied(qint64 bytes);
    void startFile(const QString &source);
    void finishFile();
    void addFailure();

    // The closing box listing what could not be copied; returns when the user closes it.
    static void showFailures(const QStringList &failures);

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();

    QLabel *m_file;
    QLabel *m_count;
    QProgressBar *m_bar;
    qint64 m_totalFiles = 0;
    qint64 m_totalBytes = 0;
    qint64 m_doneFiles = 0;
    qint64 m_doneBytes = 0;
    qint64 m_failures = 0;
};
