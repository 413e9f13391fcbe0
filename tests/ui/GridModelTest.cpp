#include "ui/GridModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QImage>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QRgb kMarked = qRgb(169, 186, 214);

// The model tester reports through qWarning; every report is a failure here.
class GridModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_reports.clear();
        m_previousHandler = qInstallMessageHandler(&GridModelTest::collect);
    }
    void TearDown() override { qInstallMessageHandler(m_previousHandler); }

    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type != QtDebugMsg && QByteArray(context.category ? context.category : "").startsWith("qt.modeltest"))
            s_reports.append(message);
    }

    static QPixmap filled(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        return QPixmap::fromImage(image);
    }

    static inline QStringList s_reports;
    QtMessageHandler m_previousHandler = nullptr;
};

TEST_F(GridModelTest, StaysConsistentUnderTheModelTesterThroughEveryChange)
{
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

    model.setGridColumnCount(5);
    model.setFixedRowCount(1);
    model.setFixedColumnCount(1);
    model.setImageListSize(4);
    for (int i = 0; i < 6; ++i) {
        const int row = i % 2 ? model.insertRowAtTop() : model.appendRow();
        model.setText(row, 1, u"نص %1"_s.arg(i));
        model.setImage(row, 0, i % 4);
        model.setBackground(row, 2, QColor::fromRgb(kMarked));
    }
    model.setListImage(2, filled(150, 135));
    model.setText(0, 2, u"التصنيف"_s);
    model.removeGridRow(3);
    model.setGridColumnCount(3);
    model.setGridColumnCount(6);
    {
        GridModel::BatchScope batch(&model);
        for (int i = 0; i < 50; ++i)
            model.setText(model.insertRowAtTop(), 1, QString::number(i));
    }
    model.setFixedColumnCount(0);
    model.setGridRowCount(0);
    model.setGridRowCount(4);
    model.removeNonFixedRows();

    EXPECT_TRUE(s_reports.isEmpty()) << s_reports.join(u'\n').toStdString();
    EXPECT_EQ(model.gridRowCount(), 0);
    EXPECT_EQ(model.fixedRowCount(), 0);
}

TEST_F(GridModelTest, FixedRowAndColumnAreHeadersAndTheRestAreItems)
{
    GridModel model;
    model.setGridColumnCount(3);
    model.setGridRowCount(4);
    model.setFixedRowCount(1);
    model.setFixedColumnCount(1);
    model.setText(0, 2, u"التصنيف"_s);
    model.setText(2, 0, u"7"_s);
    model.setText(2, 2, u"عقود"_s);

    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), u"التصنيف"_s);
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), u"7"_s);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), u"عقود"_s);
    EXPECT_EQ(model.cellIndex(2, 2), model.index(1, 1));
    EXPECT_FALSE(model.cellIndex(0, 2).isValid());
    EXPECT_FALSE(model.cellIndex(2, 0).isValid());
}

TEST_F(GridModelTest, InsertAtTopShiftsRowsWithTheirCellsAndHeights)
{
    GridModel model;
    model.setGridColumnCount(2);
    model.setFixedRowCount(1);
    const int first = model.appendRow();
    model.setText(first, 1, u"الاول"_s);
    model.setRowHeight(first, 147);
    model.setBackground(first, 0, QColor::fromRgb(kMarked));

    EXPECT_EQ(model.insertRowAtTop(), 1);
    model.setText(1, 1, u"الثاني"_s);

    ASSERT_EQ(model.gridRowCount(), 3);
    EXPECT_EQ(model.text(1, 1), u"الثاني"_s);
    EXPECT_EQ(model.text(2, 1), u"الاول"_s);
    EXPECT_EQ(model.rowHeight(2), 147);
    EXPECT_EQ(model.rowHeight(1), model.defaultRowHeight());
    EXPECT_EQ(model.background(2, 0), QColor::fromRgb(kMarked));
    EXPECT_FALSE(model.background(1, 0).isValid());
    EXPECT_EQ(model.insertGridRow(0), -1) << "rows never go among the fixed rows";
}

TEST_F(GridModelTest, BackgroundReadsBackAndReachesTheView)
{
    GridModel model;
    model.setGridColumnCount(3);
    model.setGridRowCount(2);
    model.setBackground(1, 2, QColor::fromRgb(kMarked));

    EXPECT_EQ(model.background(1, 2), QColor::fromRgb(kMarked));
    EXPECT_EQ(model.background(1, 2).rgb(), kMarked);
    EXPECT_FALSE(model.background(0, 2).isValid());
    EXPECT_EQ(model.data(model.index(1, 2), Qt::BackgroundRole).value<QBrush>().color(), QColor::fromRgb(kMarked));

    model.setBackground(1, 2, QColor(Qt::white));
    EXPECT_NE(model.background(1, 2), QColor::fromRgb(kMarked));
}

TEST_F(GridModelTest, EditableFlagsFollowTheGridTheCellAndTheHeaders)
{
    GridModel model;
    model.setGridColumnCount(3);
    model.setGridRowCount(3);
    model.setFixedColumnCount(1);
    const QModelIndex item = model.cellIndex(1, 1);

    EXPECT_FALSE(model.flags(item) & Qt::ItemIsEditable) << "a grid is read-only until made editable";
    EXPECT_FALSE(model.setData(item, u"x"_s));

    model.setEditable(true);
    EXPECT_TRUE(model.flags(item) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.isCellEditable(1, 0)) << "fixed cells are never edited";

    QSignalSpy edited(&model, &GridModel::cellEdited);
    EXPECT_TRUE(model.setData(item, u"مكتوب"_s));
    EXPECT_EQ(model.text(1, 1), u"مكتوب"_s);
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toInt(), 1);
    EXPECT_EQ(edited.at(0).at(1).toInt(), 1);

    model.setCellReadOnly(1, 1, true);
    EXPECT_FALSE(model.flags(item) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(item, u"غيره"_s));
    EXPECT_EQ(model.text(1, 1), u"مكتوب"_s);
    EXPECT_TRUE(model.flags(model.cellIndex(2, 1)) & Qt::ItemIsEditable);
}

TEST_F(GridModelTest, ImageIndexShowsItsSlotAndASlotChangeRepaints)
{
    GridModel model;
    model.setGridColumnCount(2);
    model.setGridRowCount(2);
    model.setImageListSize(2000);
    model.setImage(1, 0, 1999);
    model.setImage(0, 0, 5000);

    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DecorationRole).isValid()) << "an empty slot shows nothing";

    QSignalSpy changed(&model, &GridModel::dataChanged);
    EXPECT_TRUE(model.setListImage(1999, filled(150, 135).toImage()));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DecorationRole).value<QPixmap>().size(), QSize(150, 135));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.setListImage(2000, filled(1, 1))) << "the list never grows by filling a slot";
    EXPECT_EQ(model.imageList().size(), 2000);
}

TEST_F(GridModelTest, BatchSendsOneResetAndNoPerCellSignals)
{
    GridModel model;
    model.setGridColumnCount(6);
    QSignalSpy changed(&model, &GridModel::dataChanged);
    QSignalSpy inserted(&model, &GridModel::rowsInserted);
    QSignalSpy heights(&model, &GridModel::rowHeightChanged);
    QSignalSpy reset(&model, &GridModel::modelReset);

    model.beginBatch();
    for (int i = 0; i < 100; ++i) {
        const int row = model.insertRowAtTop();
        model.setText(row, 1, QString::number(i));
        model.setRowHeight(row, 147);
        model.setBackground(row, 0, QColor::fromRgb(kMarked));
    }
    model.endBatch();

    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(heights.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 100);
    EXPECT_EQ(model.text(0, 1), u"99"_s);
}

TEST_F(GridModelTest, BatchOfCellChangesEndsInOneNoticeOverTheCellsItTouched)
{
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setGridColumnCount(6);
    model.setFixedRowCount(1);
    model.setFixedColumnCount(1);
    model.setGridRowCount(20);
    QSignalSpy changed(&model, &GridModel::dataChanged);
    QSignalSpy headers(&model, &GridModel::headerDataChanged);
    QSignalSpy heights(&model, &GridModel::rowHeightsChanged);
    QSignalSpy reset(&model, &GridModel::modelReset);

    {
        GridModel::BatchScope batch(&model);
        model.setText(4, 2, u"أ"_s);
        model.setBackground(7, 3, QColor::fromRgb(kMarked));
        model.setRowHeight(5, 147);
        model.setRowHeight(6, 100);
        model.setText(6, 0, u"6"_s); // the fixed column
    }

    EXPECT_EQ(reset.count(), 0);
    ASSERT_EQ(changed.count(), 1);
    // Grid rows 4..7 and columns 1..3 are items 3..6 and 0..2.
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(3, 0));
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.index(6, 2));
    ASSERT_EQ(headers.count(), 1);
    EXPECT_EQ(headers.at(0).at(0).value<Qt::Orientation>(), Qt::Vertical);
    ASSERT_EQ(heights.count(), 1);
    EXPECT_EQ(heights.at(0).at(0).toInt(), 5);
    EXPECT_EQ(heights.at(0).at(1).toInt(), 6);
    EXPECT_EQ(model.rowHeight(5), 147);
    EXPECT_TRUE(s_reports.isEmpty()) << s_reports.join(u'\n').toStdString();
}

TEST_F(GridModelTest, IconStripIsCutIntoImagesWithTheKeyColourTransparent)
{
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(Qt::white);
    strip.setPixel(20, 3, qRgb(255, 0, 0));
    GridModel model;
    model.setImageListFromStrip(strip, 16, Qt::white);

    ASSERT_EQ(model.imageList().size(), 3);
    const QImage second = model.imageList().at(1).toImage();
    EXPECT_EQ(qAlpha(second.pixel(0, 0)), 0);
    EXPECT_EQ(second.pixel(4, 3), qRgb(255, 0, 0));
}

} // namespace
