#include "ColourChooser.h"

#include <QColorDialog>

namespace {
bool g_armed = false;
std::optional<QColor> g_answer;
QColor g_lastInitial;
} // namespace

std::optional<QColor> ColourChooser::choose(QWidget *parent, const QColor &initial, bool withAlpha)
{
    g_lastInitial = initial;
    if (g_armed) {
        g_armed = false;
        return g_answer;
    }
    const QColor chosen = QColorDialog::getColor(initial, parent, QString(),
                                                 withAlpha ? QColorDialog::ShowAlphaChannel : QColorDialog::ColorDialogOptions());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

void ColourChooser::setNextAnswer(std::optional<QColor> answer)
{
    g_armed = true;
    g_answer = answer;
}

QColor ColourChooser::lastInitial()
{
    return g_lastInitial;
}
