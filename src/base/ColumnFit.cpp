#include "ColumnFit.h"

#include <algorithm>

namespace ColumnFit {

QList<int> fit(const QList<int> &contentWidths, int available, int minimum)
{
    QList<int> widths = contentWidths;
    for (int &w : widths)
        w = std::max(0, w);
    const auto total = [&widths] {
        long long sum = 0;
        for (int w : widths)
            sum += w;
        return sum;
    };
    if (total() <= available)
        return widths;
    // The widest columns are cut to one width, the largest that makes the whole fit.
    QList<int> sorted;
    for (int w : widths) {
        if (w > 0)
            sorted.append(w);
    }
    std::sort(sorted.begin(), sorted.end());
    long long narrow = 0; // the sum of the columns below the cap
    int cap = minimum;
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const long long wide = sorted.size() - i; // columns at the cap
        const long long candidate = (available - narrow) / wide;
        if (candidate < sorted[i]) {
            cap = int(std::max<long long>(minimum, candidate));
            break;
        }
        narrow += sorted[i];
    }
    for (int &w : widths) {
        if (w > cap)
            w = std::max(std::min(w, minimum), cap);
    }
    return widths;
}

QList<int> fit(const QList<int> &contentWidths, int available, int minimum, const QList<bool> &keepWhole)
{
    int kept = 0;
    QList<int> others = contentWidths;
    for (qsizetype c = 0; c < others.size(); ++c) {
        if (keepWhole.value(c) && others[c] > 0) {
            kept += others[c];
            others[c] = 0;
        }
    }
    QList<int> widths = fit(others, available - kept, minimum);
    long long total = 0;
    for (qsizetype c = 0; c < widths.size(); ++c) {
        if (keepWhole.value(c))
            widths[c] = std::max(0, contentWidths[c]);
        total += widths[c];
    }
    // Too narrow even for that: every column gives way alike.
    return total <= available ? widths : fit(contentWidths, available, minimum);
}

} // namespace ColumnFit
