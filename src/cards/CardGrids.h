#pragma once

#include "CardDraft.h"
#include "CardFileList.h"
#include "CardTexts.h"
#include "classes/CardClasses.h"

#include <QCoreApplication>
#include <QList>

class CGridCtrl;
class QPoint;
class QWidget;
struct AppState;

// The card dialog's three lists (classifications, files, texts) as the user sees them: their
// columns, headers, sizes and icons, and each row drawn from what the card holds. It keeps
// nothing of the card itself; the dialog says what changed and it draws that.
class CardGrids
{
    Q_DECLARE_TR_FUNCTIONS(CardGrids)

public:
    static constexpr int kClassListKind = 93;
    static constexpr int kFileListKind = 94;
    static constexpr int kTextListKind = 95;

    using TextColumn = CardTexts::TextColumn;
    using enum CardTexts::TextColumn;
    // Columns of the classification list; row 0 is its header.
    enum ClassColumn : int { ClassCode = 0, ClassNumber = 1, ClassName = 2, ClassColumnCount = 3 };

    CardGrids(CGridCtrl *classes, CGridCtrl *files, CGridCtrl *texts);

    // Empties the three lists and draws every row again.
    void drawAll(const QList<CardClasses::Entry> &classes, const CardFileList &files, const QList<TextItem> &texts);
    void drawClassRow(int row, const CardClasses::Entry &entry);
    // Row index + 1 of the file list.
    void drawFileRow(const CardFileList &files, int index);
    void drawFileShade(const CardFileList &files, int index, int column);
    // fromFeed: a text taken from an information feed, whose row is higher.
    void drawTextRow(int row, const TextItem &text, bool fromFeed = false);
    // Writes every row's place into its number cell and gives the rows their item height.
    void renumberFiles(const CardFileList &files);
    // Hides the classifications whose name does not hold the filter.
    void filterClasses(const QList<CardClasses::Entry> &classes, const QString &filter);

    // The right-click menu of a file or text row; the command chosen, 0 when none.
    static int chooseCommand(bool files, const AppState &state, const QPoint &globalPos, QWidget *parent);

private:
    CGridCtrl *m_classes;
    CGridCtrl *m_files;
    CGridCtrl *m_texts;
};
