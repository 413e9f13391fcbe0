#pragma once

#include "TextConversion.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QProcess;
class QProgressDialog;
class QStatusBar;
class QTimer;
class QWidget;

// The card's texts from outside: the text of a file-list row's document, taken through the
// converter, and the ready-made texts and the editor's hand-off of the text list.
//
// The converter runs as a process of its own. Its wait is a progress dialog, modal to the card
// and never run in a loop of ours: the conversion ends by the converter's exit, by the user's
// "الغاء" or when its time is up, and the text goes into the row only after a clean exit.
class TextEntry : public QObject
{
    Q_OBJECT

public:
    // `status` is the card's status line; `programFolder` is where the converter may be
    // replaced (COM/dovrelle-mw), `databaseFolder` where the ready-made texts are.
    TextEntry(QWidget *window, QStatusBar *status, const QString &programFolder, const QString &databaseFolder);
    ~TextEntry() override;

    // Starts taking the text of `path`, the document of file-list row `row`. False, with the
    // reason shown, when it does not start.
    bool enterText(int row, const QString &path);
    bool running() const;
    // What a conversion may take before its pages are counted (tests shorten it).
    void setBaseWait(int ms) { m_baseWaitMs = ms; }
    // The progress dialog while a conversion runs, for the tests.
    QProgressDialog *progress() const;

    // Ready-made text `digit`, or empty with the reason in the status line when it is missing.
    std::optional<QString> snippet(int digit);
    // Hands `text` to the text editor; false with the reason shown.
    bool exportText(const QString &text);

signals:
    // The converter wrote the text of row `row` whose document was `path`.
    void textReady(int row, const QString &path, const QString &text);
    // A conversion is over, whichever way.
    void finished(bool ok);

private:
    void readProgress();
    void converterEnded();
    void giveUp(const QString &message);
    void end(bool ok, const QString &message);
    void extendWait(int pages);

    QWidget *m_window;
    QStatusBar *m_status;
    QString m_programFolder;
    QString m_databaseFolder;
    TextConversion m_conversion;
    QProcess *m_process = nullptr;
    QPointer<QProgressDialog> m_progress;
    QTimer *m_deadline;
    QElapsedTimer m_clock;
    int m_row = 0;
    QString m_path;
    // Set once the conversion is given up: what the converter does afterwards counts for nothing.
    bool m_givenUp = false;
    int m_baseWaitMs = TextConversion::kBaseWaitMs;
};
