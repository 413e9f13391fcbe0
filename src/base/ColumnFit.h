#pragma once

#include <QList>

// Column widths that show each column's content within the width there is: every column as wide
// as its content when they all fit; otherwise the widest give way first, down to a common width,
// so that the narrow columns stay whole and only the long texts are cut. A column of width 0 stays
// hidden; none is made narrower than the minimum (nor wider than its content).
namespace ColumnFit {

QList<int> fit(const QList<int> &contentWidths, int available, int minimum);
// The same, but the columns marked in keepWhole give way only once the others are at the minimum.
QList<int> fit(const QList<int> &contentWidths, int available, int minimum, const QList<bool> &keepWhole);

} // namespace ColumnFit
