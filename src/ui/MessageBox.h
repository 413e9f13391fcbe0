#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

// Every modal message of the program goes through here, so that tests can answer in advance and
// read what would have been shown instead of facing a window.
class MessageBox
{
public:
    static void information(QWidget *parent, const QString &text, const QString &title = {});
    static void warning(QWidget *parent, const QString &text, const QString &title = {});
    static void critical(QWidget *parent, const QString &text, const QString &title = {});
    static QMessageBox::StandardButton question(QWidget *parent, const QString &text, const QString &title = {},
                                                QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::No,
                                                QMessageBox::Icon icon = QMessageBox::Question);

    // Tests: from now on nothing is shown; texts are recorded and questions answered with the
    // armed answers in turn (the default button once they run out).
    static void setTestMode(bool on);
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static QStringList takeShown();
    // The icons of the recorded messages, in the same order; taken with them by takeShown().
    static QList<QMessageBox::Icon> shownIcons();

    // The box `show` puts on screen (right to left, buttons with their whole words), for tests
    // that look at it.
    static std::unique_ptr<QMessageBox> make(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                             const QString &text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton);

private:
    static QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                            const QString &text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
};
