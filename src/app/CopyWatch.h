#pragma once

#include "db/Database.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>


class QTimer;
class QWidget;

// Keeps the archiving copier's work in view: at the start of the program it hands over the copy
// orders a crash left in the archive and starts the copier for them and for any that failed
// before; afterwards it looks every few seconds for orders the copier could not carry out and
// tells the user which files, why, and what to do, with a button that tries again.
class CopyWatch : public QObject
{
    Q_OBJECT

public:
    using StartCopier = std::function<bool()>;

    CopyWatch(QString programFolder, Database db, QWidget *window, QObject *parent = nullptr);

    // The copier is started detached unless tests put their own start here.
    void setStartCopier(StartCopier start) { m_startCopier = std::move(start); }
    void start();
    // One look at the failed orders, as the timer does it.
    void check();

    // The notice on screen, or null.
    QMessageBox *notice() const { return m_notice; }

    static constexpr int kIntervalMs = 3000;

private:
    bool startCopier();

    QString m_programFolder;
    Database m_db;
    QWidget *m_window;
    QTimer *m_timer;
    StartCopier m_startCopier;
    QPointer<QMessageBox> m_notice;
    qint64 m_shownSize = 0;
};
