#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kReportKind = 7791;

// A shown grid of 1 fixed row, 1 fixed column and 4 x 3 data cells, each holding "r,c".
class CGridCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_grid.resize(400, 300);
        m_grid.setGridKind(kReportKind);
        m_grid.setColumnCount(4);
        m_grid.setRowCount(5);
        m_grid.setFixedRowCount(1);
        m_grid.setFixedColumnCount(1);
        for (int row = 0; row < m_grid.rowCount(); ++row) {
            for (int column = 0; column < m_grid.columnCount(); ++column)
                m_grid.setText(row, column, u"%1,%2"_s.arg(row).arg(column));
        }
        m_grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    }

    QPoint centreOf(int row, int column) const
    {
        return m_grid.visualRect(m_grid.gridModel()->cellIndex(row, column)).center();
    }

    CGridCtrl m_grid;
};

TEST_F(CGridCtrlTest, WidthZeroHidesAColumnThatStillHoldsItsText)
{
    m_grid.setColumnWidth(2, 0);
    EXPECT_TRUE(m_grid.isColumnHidden(1));
    EXPECT_EQ(m_grid.columnWidth(2), 0);
    EXPECT_EQ(m_grid.text(3, 2), u"3,2"_s);

    m_grid.setColumnWidth(2, 55);
    EXPECT_FALSE(m_grid.isColumnHidden(1));
    EXPECT_EQ(m_grid.QTableView::columnWidth(1), 55);
}

TEST_F(CGridCtrlTest, FixedRowAndColumnSizesAreTheHeaderSizes)
{
    m_grid.setRowHeight(0, 20);
    m_grid.setColumnWidth(0, 40);
    QApplication::processEvents();
    EXPECT_EQ(m_grid.horizontalHeader()->height(), 20);
    EXPECT_EQ(m_grid.verticalHeader()->width(), 40);
    EXPECT_EQ(m_grid.verticalHeader()->model()->headerData(2, Qt::Vertical).toString(), u"3,0"_s);

    m_grid.setColumnWidth(0, 0);
    EXPECT_TRUE(m_grid.verticalHeader()->isHidden());
}

TEST_F(CGridCtrlTest, SizesSurviveABatchFillAndTravelWithRowsInsertedOnTop)
{
    m_grid.setDefaultRowHeight(147);
    m_grid.setColumnWidth(3, 0);
    m_grid.beginBatch();
    m_grid.removeNonFixedRows();
    for (int i = 0; i < 3; ++i)
        m_grid.setText(m_grid.insertRowAtTop(), 1, QString::number(i));
    m_grid.endBatch();

    EXPECT_TRUE(m_grid.isColumnHidden(2));
    EXPECT_EQ(m_grid.QTableView::rowHeight(2), 147);

    m_grid.setRowHeight(1, 60);
    const int top = m_grid.insertRowAtTop();
    EXPECT_EQ(top, 1);
    EXPECT_EQ(m_grid.QTableView::rowHeight(0), 147);
    EXPECT_EQ(m_grid.QTableView::rowHeight(1), 60) << "the 60-pixel row moved down with its text";
    EXPECT_EQ(m_grid.text(2, 1), u"2"_s);
}

TEST_F(CGridCtrlTest, DropDownCellEditsThroughAComboOfItsOptions)
{
    const QStringList types{u"ملف"_s, u"صور"_s, u"نص"_s};
    m_grid.setEditable(true);
    m_grid.setOptions(2, 3, types);
    m_grid.setText(2, 3, QString());
    const QModelIndex index = m_grid.gridModel()->cellIndex(2, 3);
    m_grid.setCurrentIndex(index);
    m_grid.edit(index);

    auto *combo = m_grid.viewport()->findChild<QComboBox *>();
    ASSERT_NE(combo, nullptr);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown.append(combo->itemText(i));
    EXPECT_EQ(shown, types);
    EXPECT_EQ(combo->currentIndex(), -1) << "an empty cell shows no choice";

    QSignalSpy edited(&m_grid, &CGridCtrl::cellEdited);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(m_grid.text(2, 3), u"صور"_s);
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(CGridCtrlTest, SelectionRangeAndPerCellSelectedState)
{
    m_grid.setSelectedRange({2, 1, 3, 2});
    EXPECT_EQ(m_grid.selectedCellRange(), (GridCellRange{2, 1, 3, 2}));
    EXPECT_TRUE(m_grid.isCellSelected(2, 1));
    EXPECT_TRUE(m_grid.isCellSelected(3, 2));
    EXPECT_FALSE(m_grid.isCellSelected(1, 1));
    EXPECT_FALSE(m_grid.isCellSelected(2, 3));

    // A control-click adds a cell outside the rectangle: the range grows to hold it.
    QTest::mouseClick(m_grid.viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(4, 3));
    EXPECT_TRUE(m_grid.isCellSelected(4, 3));
    EXPECT_FALSE(m_grid.isCellSelected(4, 1));
    EXPECT_EQ(m_grid.selectedCellRange(), (GridCellRange{2, 1, 4, 3}));
    EXPECT_EQ(m_grid.currentRow(), 4);
    EXPECT_EQ(m_grid.currentColumn(), 3);
}

TEST_F(CGridCtrlTest, DoubleClicksCarryTheCellAndTheKind)
{
    QSignalSpy left(&m_grid, &CGridCtrl::cellDoubleClicked);
    QSignalSpy right(&m_grid, &CGridCtrl::cellRightDoubleClicked);
    QTest::mouseDClick(m_grid.viewport(), Qt::LeftButton, {}, centreOf(3, 2));
    QTest::mouseDClick(m_grid.viewport(), Qt::RightButton, {}, centreOf(4, 1));

    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left.at(0), (QList<QVariant>{3, 2, kReportKind}));
    ASSERT_EQ(right.count(), 1);
    EXPECT_EQ(right.at(0), (QList<QVariant>{4, 1, kReportKind}));
}

TEST_F(CGridCtrlTest, DoubleClickOnHeadersReportsTheFixedCells)
{
    QSignalSpy left(&m_grid, &CGridCtrl::cellDoubleClicked);
    QHeaderView *rows = m_grid.verticalHeader();
    QHeaderView *columns = m_grid.horizontalHeader();
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {},
                       QPoint(rows->width() / 2, rows->sectionViewportPosition(2) + rows->sectionSize(2) / 2));
    QTest::mouseDClick(columns->viewport(), Qt::LeftButton, {},
                       QPoint(columns->sectionViewportPosition(1) + columns->sectionSize(1) / 2, columns->height() / 2));

    ASSERT_EQ(left.count(), 2);
    EXPECT_EQ(left.at(0), (QList<QVariant>{3, 0, kReportKind}));
    EXPECT_EQ(left.at(1), (QList<QVariant>{0, 2, kReportKind}));
}

TEST_F(CGridCtrlTest, RightClickCarriesTheCellTheKindAndWhereTheMenuGoes)
{
    QSignalSpy spy(&m_grid, &CGridCtrl::cellRightClicked);
    const QPoint at = centreOf(2, 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, m_grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(m_grid.viewport(), &event);

    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 3);
    EXPECT_EQ(spy.at(0).at(2).toInt(), kReportKind);
    EXPECT_EQ(spy.at(0).at(3).toPoint(), m_grid.viewport()->mapToGlobal(at));
}

TEST_F(CGridCtrlTest, PasteFillsEditableCellsFromTheCurrentCellBeforeAnyWindowShortcut)
{
    // The grid sits in a window whose own paste command has the same key.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new CGridCtrl(&window);
    layout->addWidget(grid);
    auto *windowPaste = new QAction(&window);
    windowPaste->setShortcut(QKeySequence::Paste);
    window.addAction(windowPaste);
    QSignalSpy windowPasted(windowPaste, &QAction::triggered);

    grid->setColumnCount(3);
    grid->setRowCount(4);
    grid->setFixedRowCount(1);
    grid->setEditable(true);
    grid->setCellReadOnly(2, 2, true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    grid->setCurrentCell(1, 1);

    QGuiApplication::clipboard()->setText(u"أ\tب\r\nج\tد\nه\tو\tز\n"_s);
    QTest::keySequence(grid, QKeySequence::Paste);

    EXPECT_EQ(windowPasted.count(), 0);
    EXPECT_EQ(grid->text(1, 1), u"أ"_s);
    EXPECT_EQ(grid->text(1, 2), u"ب"_s);
    EXPECT_EQ(grid->text(2, 1), u"ج"_s);
    EXPECT_EQ(grid->text(2, 2), QString()) << "read-only cell";
    EXPECT_EQ(grid->text(3, 1), u"ه"_s);
    EXPECT_EQ(grid->text(3, 2), u"و"_s);
    EXPECT_EQ(grid->text(0, 1), QString()) << "the header row is not pasted into";
}

TEST_F(CGridCtrlTest, GridLinesAreDrawnInTheOwnersColour)
{
    const QColor blue(0, 0, 255);
    m_grid.setGridLineColour(blue);
    EXPECT_EQ(m_grid.gridLineColour(), blue);

    // The line under the first data row runs across the viewport in that colour.
    const QImage image = m_grid.viewport()->grab().toImage();
    const QRect cell = m_grid.visualRect(m_grid.gridModel()->cellIndex(1, 2));
    EXPECT_EQ(image.pixelColor(cell.center().x(), cell.bottom() + 1), blue);
    EXPECT_NE(m_grid.horizontalHeader()->style(), m_grid.style()) << "headers keep the application's style";
}

TEST_F(CGridCtrlTest, ColumnsRunRightToLeft)
{
    EXPECT_EQ(m_grid.layoutDirection(), Qt::RightToLeft);
    EXPECT_GT(m_grid.columnViewportPosition(0), m_grid.columnViewportPosition(1));
    EXPECT_GT(m_grid.verticalHeader()->x(), m_grid.viewport()->x()) << "the fixed column is on the right";
}

// The way the report and the basket viewer stream a hit in: a row on top, then its cells.
void streamRow(CGridCtrl &grid, int number)
{
    const int row = grid.rowCount() == 0 ? grid.appendRow() : grid.insertRowAtTop();
    grid.beginBatch();
    grid.setRowHeight(row, 60);
    grid.setListImage(number % 8, QImage(16, 16, QImage::Format_RGB32));
    grid.setImage(row, 0, number % 8);
    grid.setText(row, 1, u"بطاقة %1"_s.arg(number));
    grid.setBackground(row, 2, QColor(236, 233, 216));
    grid.endBatch();
}

// A shown grid of three columns that rows stream into.
class CGridCtrlStreaming : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.resize(400, 300);
        grid.setColumnCount(3);
        grid.setImageListSize(8);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    CGridCtrl grid;
};

TEST_F(CGridCtrlStreaming, RowsArrivingOnTopKeepTheSelectionAndWhatIsInView)
{
    for (int i = 0; i < 40; ++i)
        streamRow(grid, i);
    QApplication::processEvents();

    // The user scrolls down, to the middle of a row, and selects a row in view.
    grid.verticalScrollBar()->setValue(60 * 12 + 25);
    const int picked = grid.rowAt(100);
    ASSERT_GE(picked, 0);
    grid.setCurrentCell(picked, 1);
    grid.setSelectedRange(GridCellRange{picked, 1, picked, 1});
    const QString pickedText = grid.text(picked, 1);
    const QString topText = grid.text(grid.rowAt(0), 1);
    const QRect pickedPlace = grid.visualRect(grid.gridModel()->cellIndex(picked, 1));
    const int scrolledInto = -grid.rowViewportPosition(grid.rowAt(0));
    ASSERT_GT(scrolledInto, 0);

    QSignalSpy resets(grid.gridModel(), &GridModel::modelReset);
    QSignalSpy inserts(grid.gridModel(), &GridModel::rowsInserted);
    for (int i = 40; i < 540; ++i) {
        streamRow(grid, i);
        if (i % 50 == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();

    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(inserts.count(), 500);
    ASSERT_EQ(grid.rowCount(), 540);
    // The same hit is selected and current, 500 rows further down the grid.
    EXPECT_TRUE(grid.isCellSelected(picked + 500, 1));
    EXPECT_EQ(grid.selectedCellRange(), (GridCellRange{picked + 500, 1, picked + 500, 1}));
    EXPECT_EQ(grid.currentRow(), picked + 500);
    EXPECT_EQ(grid.text(picked + 500, 1), pickedText);
    // And the view shows what it showed: the same rows at the same places.
    EXPECT_EQ(grid.text(grid.rowAt(0), 1), topText);
    EXPECT_EQ(-grid.rowViewportPosition(grid.rowAt(0)), scrolledInto);
    EXPECT_EQ(grid.visualRect(grid.gridModel()->cellIndex(picked + 500, 1)), pickedPlace);
    EXPECT_EQ(grid.rowHeight(0), 60);
    EXPECT_EQ(grid.text(0, 1), u"بطاقة 539"_s);
}

TEST_F(CGridCtrlStreaming, AtTheTopTheNewestRowsComeIntoView)
{
    for (int i = 0; i < 30; ++i)
        streamRow(grid, i);
    grid.setSelectedRange(GridCellRange{2, 1, 2, 1});
    for (int i = 30; i < 60; ++i)
        streamRow(grid, i);
    QApplication::processEvents();
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.rowAt(0), 0);
    EXPECT_EQ(grid.text(grid.rowAt(0), 1), u"بطاقة 59"_s);
    EXPECT_TRUE(grid.isCellSelected(32, 1)) << "the selection follows its row";
    EXPECT_FALSE(grid.isCellSelected(2, 1));
}

} // namespace

// The report's and the basket viewer's grids: a click anywhere on a row highlights the row, and
// the highlighted rows are what the commands take.
TEST_F(CGridCtrlTest, WithRowSelectionAClickOnAnyCellSelectsItsRow)
{
    m_grid.setRowSelection(true);
    QTest::mouseClick(m_grid.viewport(), Qt::LeftButton, {}, centreOf(2, 3));
    EXPECT_EQ(m_grid.selectedRows(), QList<int>{2});
    for (int column = 1; column < m_grid.columnCount(); ++column)
        EXPECT_TRUE(m_grid.isCellSelected(2, column)) << column;
    QTest::mouseClick(m_grid.viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(4, 1));
    EXPECT_EQ(m_grid.selectedRows(), (QList<int>{2, 4}));

    // Without it a click selects the one cell, and its row still counts as selected.
    m_grid.setRowSelection(false);
    QTest::mouseClick(m_grid.viewport(), Qt::LeftButton, {}, centreOf(3, 2));
    EXPECT_FALSE(m_grid.isCellSelected(3, 1));
    EXPECT_EQ(m_grid.selectedRows(), QList<int>{3});
    m_grid.setSelectedRange({});
    EXPECT_TRUE(m_grid.selectedRows().isEmpty());
}

