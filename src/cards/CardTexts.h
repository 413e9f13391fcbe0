#pragma once

#include "CardDraft.h"
#include "base/Result.h"

#include <QCoreApplication>
#include <QList>

// The rules of the card's text list apart from the grid: where a text handed over by another
// window goes, the ready-made texts pasted with Ctrl+digit and the text handed to the editor.
class CardTexts
{
    Q_DECLARE_TR_FUNCTIONS(CardTexts)

public:
    // Columns of the text list, which has no header: texts start at row 0.
    enum TextColumn : int { TextNumber = 0, TextKeywords = 1, TextBody = 2, TextColumnCount = 5 };

    // The row that takes a text handed over: the last when it is an empty one left for typing,
    // else a new empty row appended for it.
    static int rowForHandedText(QList<TextItem> &texts);
    // Writes what the user typed into a cell of row `row` (keywords or text) back into its item.
    static void setCellText(QList<TextItem> &texts, int row, int column, const QString &text);
    // Ready-made text `digit` ("3.txt" in the database folder): its first 1000 bytes up to the
    // first NUL, in CP1256.
    static Result<QString> readSnippet(const QString &databaseFolder, int digit);
    // Writes the text for the text editor into the text hand-off file of the program folder, in
    // CP1256 and at most 40000 bytes of it.
    static Status exportText(const QString &text, const QString &programFolder);
};
