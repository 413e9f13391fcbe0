#include "JobGridPrinter.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>

#include <numeric>

namespace JobGridPrinter {

int print(QPagedPaintDevice &device, const JobColumns::PrintSheet &sheet, const QString &title)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setLayoutDirection(Qt::RightToLeft);
    QFont font(QStringLiteral("Noto Naskh Arabic"));
    font.setPointSizeF(9);
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    const QRect page = painter.viewport();
    const int margin = metrics.height();
    const QRect area = page.adjusted(margin, margin, -margin, -margin);
    const int rowHeight = metrics.height() * 2;
    const int total = std::max(1, std::accumulate(sheet.widths.cbegin(), sheet.widths.cend(), 0));

    // Right edges of the columns, the first column at the right.
    QList<QRect> cells;
    int right = area.right();
    for (int w : sheet.widths) {
        const int width = int(qint64(area.width()) * w / total);
        cells.append(QRect(right - width, 0, width, rowHeight));
        right -= width;
    }
    QTextOption option(Qt::AlignCenter);
    option.setTextDirection(Qt::RightToLeft);
    option.setWrapMode(QTextOption::NoWrap);

    auto drawRow = [&](int top, const QStringList &texts, bool header) {
        QFont f = font;
        f.setBold(header);
        painter.setFont(f);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const QRect r = cells[i].translated(0, top);
            if (header)
                painter.fillRect(r, QColor(230, 230, 230));
            painter.drawRect(r);
            painter.drawText(r.adjusted(2, 0, -2, 0), metrics.elidedText(texts.value(i), Qt::ElideRight, r.width() - 4), option);
        }
    };

    int pages = 1;
    auto startPage = [&] {
        int top = area.top();
        QFont f = font;
        f.setBold(true);
        painter.setFont(f);
        painter.drawText(QRect(area.left(), top, area.width(), rowHeight), title, option);
        top += rowHeight;
        drawRow(top, sheet.headers, true);
        return top + rowHeight;
    };
    int top = startPage();
    for (const QStringList &row : sheet.rows) {
        if (top + rowHeight > area.bottom()) {
            device.newPage();
            ++pages;
            top = startPage();
        }
        drawRow(top, row, false);
        top += rowHeight;
    }
    painter.end();
    return pages;
}

} // namespace JobGridPrinter
