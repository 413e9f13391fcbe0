#include "MessageBox.h"

#include <QList>

namespace {
bool g_testMode = false;
QList<QMessageBox::StandardButton> g_answers;
QStringList g_shown;
QList<QMessageBox::Icon> g_icons;
} // namespace

void MessageBox::information(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::warning(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::critical(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::question(QWidget *parent, const QString &text, const QString &title,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton, QMessageBox::Icon icon)
{
    return show(parent, icon, title, text, buttons, defaultButton);
}

void MessageBox::setTestMode(bool on)
{
    g_testMode = on;
    g_answers.clear();
    g_shown.clear();
    g_icons.clear();
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    g_answers.append(answer);
}

QStringList MessageBox::takeShown()
{
    g_icons.clear();
    return std::exchange(g_shown, {});
}

QList<QMessageBox::Icon> MessageBox::shownIcons()
{
    return g_icons;
}

QMessageBox::StandardButton MessageBox::show(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                             const QString &text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    if (g_testMode) {
        g_shown.append(text);
        g_icons.append(icon);
        return g_answers.isEmpty() ? defaultButton : g_answers.takeFirst();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setLayoutDirection(Qt::RightToLeft);
    return QMessageBox::StandardButton(box.exec());
}
