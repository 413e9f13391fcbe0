#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>

// Whether the text of a box is drawn in the order it is written: walking its line edit from the
// left edge to the right, the cursor positions under the pointer never go back. A text whose
// parts were laid out right to left ("17:21 09/12/2026" for "09/12/2026 17:21") jumps back.
inline bool drawnInWrittenOrder(QAbstractSpinBox *box)
{
    auto *edit = box->findChild<QLineEdit *>();
    if (!edit)
        return false;
    int last = -1;
    int highest = 0;
    for (int x = 0; x < edit->width(); ++x) {
        const int at = edit->cursorPositionAt(QPoint(x, edit->height() / 2));
        if (at < last)
            return false;
        last = at;
        highest = std::max(highest, at);
    }
    return highest == edit->text().size();
}

// The text the user reads in a date or time box.
inline QString shownText(QAbstractSpinBox *box)
{
    auto *edit = box->findChild<QLineEdit *>();
    return edit ? edit->text() : QString();
}
