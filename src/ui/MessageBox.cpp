#include "MessageBox.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QIcon>
#include <QList>

#include <algorithm>

namespace {
// Characters of room on each side of a button's word.
constexpr int kButtonPadding = 2;
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
    const std::unique_ptr<QMessageBox> box = make(parent, icon, title, text, buttons, defaultButton);
    return QMessageBox::StandardButton(box->exec());
}

std::unique_ptr<QMessageBox> MessageBox::make(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                              const QString &text, QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    auto box = std::make_unique<QMessageBox>(icon, title, text, buttons, parent);
    box->setDefaultButton(defaultButton);
    box->setLayoutDirection(Qt::RightToLeft);
    // Beside an icon the style places a right-to-left label as if it ran left to right and cuts
    // its start ("لا", "نعم"): the buttons show their words alone, with room around them.
    for (QAbstractButton *button : box->buttons()) {
        button->setIcon(QIcon());
        const QFontMetrics metrics(button->font());
        const QString label = QString(button->text()).remove(u'&');
        button->setMinimumWidth(std::max(button->sizeHint().width(),
                                         metrics.horizontalAdvance(label) + 2 * metrics.averageCharWidth() * kButtonPadding));
    }
    return box;
}
