// Times filling the report grid the way a result of 2000 hits fills it: 2000 thumbnails of
// 150 x 135 into the image list and 2000 rows on top with their texts, backgrounds and heights.
// The baseline is the same texts into a bare cell store with no view and no images, measured in
// the same run; the ratio is what the grid costs over that.
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRows = 2000;
constexpr int kColumns = 6;
constexpr int kRowHeight = 147;
constexpr int kRepeats = 5;
constexpr QSize kThumbnail(150, 135);
constexpr QRgb kCellBackground = qRgb(236, 233, 216);
const int kWidths[kColumns] = {160, 65, 200, 0, 0, 0};

struct Hit
{
    QString path;
    QString keywords;
    QString description;
    QString card;
    QString item;
};

std::vector<Hit> makeHits()
{
    std::vector<Hit> hits;
    hits.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        hits.push_back({u"/srv/archive/Ser%1/%2&1&scan.jpg"_s.arg(i / 500).arg(i),
                        u"عقد ايجار %1"_s.arg(i), u"وصف الوثيقة رقم %1 من الارشيف"_s.arg(i),
                        QString::number(i), u"1"_s});
    }
    return hits;
}

QList<QImage> makeThumbnails()
{
    QList<QImage> thumbnails;
    thumbnails.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        QImage image(kThumbnail, QImage::Format_RGB32);
        image.fill(qRgb(i % 256, (i * 7) % 256, (i * 13) % 256));
        thumbnails.append(image);
    }
    return thumbnails;
}

void fillTexts(GridModel &model, int row, const Hit &hit)
{
    model.setText(row, 0, hit.path);
    model.setText(row, 1, hit.keywords);
    model.setText(row, 2, hit.description);
    model.setText(row, 3, hit.card);
    model.setText(row, 4, hit.item);
}

double bestOf(const std::function<void()> &prepare, const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < kRepeats; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void prepareGrid(CGridCtrl &grid)
{
    grid.removeNonFixedRows();
    grid.setImageListSize(0);
    grid.setImageListSize(kRows);
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<Hit> hits = makeHits();
    const QList<QImage> thumbnails = makeThumbnails();

    GridModel bare;
    bare.setGridColumnCount(kColumns);
    const double baseline = bestOf([&] { bare.removeNonFixedRows(); }, [&] {
        GridModel::BatchScope batch(&bare);
        for (const Hit &hit : hits)
            fillTexts(bare, bare.insertRowAtTop(), hit);
    });

    CGridCtrl grid;
    grid.setGridKind(7791);
    grid.setColumnCount(kColumns);
    for (int column = 0; column < kColumns; ++column)
        grid.setColumnWidth(column, kWidths[column]);
    grid.setDefaultRowHeight(kRowHeight);
    grid.resize(450, 800);
    grid.show();
    QApplication::processEvents();

    auto fillRow = [&](int i) {
        const int row = grid.insertRowAtTop();
        grid.setListImage(i, thumbnails[i]);
        grid.setRowHeight(row, kRowHeight);
        grid.setImage(row, 0, i);
        fillTexts(*grid.gridModel(), row, hits[size_t(i)]);
        for (int column = 0; column < 3; ++column)
            grid.setBackground(row, column, QColor::fromRgb(kCellBackground));
    };

    const double batched = bestOf([&] { prepareGrid(grid); }, [&] {
        grid.beginBatch();
        for (int i = 0; i < kRows; ++i)
            fillRow(i);
        grid.endBatch();
    });
    const double paint = bestOf([] {}, [&] { grid.viewport()->repaint(); });
    const double rowByRow = bestOf([&] { prepareGrid(grid); }, [&] {
        for (int i = 0; i < kRows; ++i)
            fillRow(i);
    });

    std::printf("bench_grid: %d rows, %d columns, thumbnails %dx%d, best of %d runs\n", kRows, kColumns,
                kThumbnail.width(), kThumbnail.height(), kRepeats);
    std::printf("  baseline  bare model, texts only, no images:        %8.2f ms\n", baseline);
    std::printf("  grid      images + texts, one batch:                %8.2f ms  (ratio %.2f)\n", batched,
                batched / baseline);
    std::printf("  grid      images + texts, row by row on top:        %8.2f ms  (ratio %.2f)\n", rowByRow,
                rowByRow / baseline);
    std::printf("  grid      one repaint of the visible rows:          %8.2f ms\n", paint);
    return 0;
}
