// Shows the rotate dialog and the palette window on a real picture's palette and saves what the
// screen shows (frame included) for the documentation. Run under a real X server:
//   imaging_screenshots OUTPUT_FOLDER PALETTE_PICTURE

#include "imaging/CPaletteDlg.h"
#include "imaging/CRotateDlg.h"
#include "imaging/PaletteGrid.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

bool shoot(QWidget *window, const QString &path)
{
    window->show();
    window->raise();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    QTest::qWait(600); // the window manager's frame
    const QRect frame = window->frameGeometry();
    const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return shot.save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft); // as the program runs
    if (argc < 3) {
        std::fprintf(stderr, "usage: imaging_screenshots OUTPUT_FOLDER PALETTE_PICTURE\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QImage picture(QString::fromLocal8Bit(argv[2]));
    if (picture.colorTable().isEmpty()) {
        std::fprintf(stderr, "%s has no palette\n", argv[2]);
        return 1;
    }

    CRotateDlg rotate;
    if (!shoot(&rotate, out.filePath(u"rotate-dialog.png"_s)))
        return 1;
    rotate.hide();

    CPaletteDlg palette(picture.colorTable());
    auto *grid = palette.findChild<PaletteGrid *>();
    grid->select(41);
    palette.show();
    // The pointer over entry 41, so the line under the buttons shows its values.
    const QPointF over(grid->cellRect(41).center());
    QMouseEvent move(QEvent::MouseMove, over, grid->mapToGlobal(over), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &move);
    if (!shoot(&palette, out.filePath(u"palette-dialog.png"_s)))
        return 1;
    return 0;
}
