#pragma once

// A rectangle of grid cells in grid coordinates (fixed rows and columns count from 0).
// An empty range has minRow = -1.
struct GridCellRange
{
    int minRow = -1;
    int minColumn = -1;
    int maxRow = -1;
    int maxColumn = -1;

    bool isValid() const { return minRow >= 0 && minColumn >= 0 && maxRow >= minRow && maxColumn >= minColumn; }
    bool contains(int row, int column) const
    {
        return isValid() && row >= minRow && row <= maxRow && column >= minColumn && column <= maxColumn;
    }
    bool operator==(const GridCellRange &) const = default;
};
