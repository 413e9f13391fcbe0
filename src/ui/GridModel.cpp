#include "GridModel.h"

#include <QBrush>
#include <QImage>

#include <algorithm>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent)
{
}

GridModel::Row GridModel::makeRow() const
{
    Row row;
    row.cells.resize(m_columnWidths.size());
    row.height = m_defaultRowHeight;
    return row;
}

bool GridModel::isValidCell(int row, int column) const
{
    return row >= 0 && row < gridRowCount() && column >= 0 && column < gridColumnCount();
}

bool GridModel::isFixedCell(int row, int column) const
{
    return isValidCell(row, column) && (row < m_fixedRows || column < m_fixedColumns);
}

void GridModel::resetBegin()
{
    if (inBatch())
        batchReshaped();
    else
        beginResetModel();
}

void GridModel::resetEnd()
{
    if (!inBatch())
        endResetModel();
}

void GridModel::batchReshaped()
{
    // The first change of shape in a batch starts the reset its end finishes; the cells changed
    // before it are covered by the same reset.
    if (!m_batchResetting) {
        m_batchResetting = true;
        beginResetModel();
    }
}

void GridModel::beginBatch()
{
    if (m_batchDepth++ == 0) {
        m_batchResetting = false;
        m_batchAllCells = false;
        m_dirtyRows = {};
        m_dirtyColumns = {};
        m_dirtyHeights = {};
        m_dirtyWidths = {};
    }
}

void GridModel::endBatch()
{
    Q_ASSERT(m_batchDepth > 0);
    if (m_batchDepth <= 0 || --m_batchDepth > 0)
        return;
    if (m_batchResetting) {
        m_batchResetting = false;
        endResetModel();
        return;
    }
    // Only cells and sizes changed: the rows the views know stay, and with them the selection
    // and the scroll position.
    if (m_dirtyHeights.isValid())
        emit rowHeightsChanged(m_dirtyHeights.first, m_dirtyHeights.last);
    if (m_dirtyWidths.isValid()) {
        for (int column = m_dirtyWidths.first; column <= m_dirtyWidths.last; ++column)
            emit columnWidthChanged(column);
    }
    if (m_batchAllCells)
        allCellsChanged({});
    else if (m_dirtyRows.isValid())
        cellsChanged(m_dirtyRows, m_dirtyColumns);
}

void GridModel::cellsChanged(Span rows, Span columns, const QList<int> &roles)
{
    rows.last = std::min(rows.last, gridRowCount() - 1);
    columns.last = std::min(columns.last, gridColumnCount() - 1);
    if (rows.last < rows.first || columns.last < columns.first)
        return;
    const bool touchesFixedRow = rows.first < m_fixedRows;
    const bool touchesFixedColumn = columns.first < m_fixedColumns;
    if (touchesFixedRow && touchesFixedColumn)
        emit cornerCellChanged();
    const int firstItemRow = std::max(rows.first, m_fixedRows);
    const int firstItemColumn = std::max(columns.first, m_fixedColumns);
    if (touchesFixedRow && firstItemColumn <= columns.last)
        emit headerDataChanged(Qt::Horizontal, firstItemColumn - m_fixedColumns, columns.last - m_fixedColumns);
    if (touchesFixedColumn && firstItemRow <= rows.last)
        emit headerDataChanged(Qt::Vertical, firstItemRow - m_fixedRows, rows.last - m_fixedRows);
    if (firstItemRow <= rows.last && firstItemColumn <= columns.last)
        emit dataChanged(cellIndex(firstItemRow, firstItemColumn), cellIndex(rows.last, columns.last), roles);
}

void GridModel::allCellsChanged(const QList<int> &roles)
{
    cellsChanged({0, gridRowCount() - 1}, {0, gridColumnCount() - 1}, roles);
}

void GridModel::setGridRowCount(int rows)
{
    rows = std::max(0, rows);
    const int old = gridRowCount();
    if (rows == old)
        return;
    if (rows < m_fixedRows) {
        resetBegin();
        m_rows.resize(rows);
        m_fixedRows = rows;
        resetEnd();
        return;
    }
    const bool signal = !inBatch();
    if (!signal)
        batchReshaped();
    if (rows > old) {
        if (signal)
            beginInsertRows(QModelIndex(), old - m_fixedRows, rows - m_fixedRows - 1);
        m_rows.reserve(rows);
        for (int r = old; r < rows; ++r)
            m_rows.append(makeRow());
        if (signal)
            endInsertRows();
    } else {
        if (signal)
            beginRemoveRows(QModelIndex(), rows - m_fixedRows, old - m_fixedRows - 1);
        m_rows.resize(rows);
        if (signal)
            endRemoveRows();
    }
}

void GridModel::setGridColumnCount(int columns)
{
    columns = std::max(0, columns);
    const int old = gridColumnCount();
    if (columns == old)
        return;
    auto resizeCells = [&] {
        m_columnWidths.resize(columns, kDefaultColumnWidth);
        for (Row &row : m_rows)
            row.cells.resize(columns);
    };
    if (columns < m_fixedColumns) {
        resetBegin();
        resizeCells();
        m_fixedColumns = columns;
        resetEnd();
        return;
    }
    const bool signal = !inBatch();
    if (!signal)
        batchReshaped();
    if (columns > old) {
        if (signal)
            beginInsertColumns(QModelIndex(), old - m_fixedColumns, columns - m_fixedColumns - 1);
        resizeCells();
        if (signal)
            endInsertColumns();
    } else {
        if (signal)
            beginRemoveColumns(QModelIndex(), columns - m_fixedColumns, old - m_fixedColumns - 1);
        resizeCells();
        if (signal)
            endRemoveColumns();
    }
}

void GridModel::setFixedRowCount(int rows)
{
    rows = std::clamp(rows, 0, kMaxFixed);
    if (rows == m_fixedRows)
        return;
    resetBegin();
    while (gridRowCount() < rows)
        m_rows.append(makeRow());
    m_fixedRows = rows;
    resetEnd();
}

void GridModel::setFixedColumnCount(int columns)
{
    columns = std::clamp(columns, 0, kMaxFixed);
    if (columns == m_fixedColumns)
        return;
    resetBegin();
    if (gridColumnCount() < columns) {
        m_columnWidths.resize(columns, kDefaultColumnWidth);
        for (Row &row : m_rows)
            row.cells.resize(columns);
    }
    m_fixedColumns = columns;
    resetEnd();
}

int GridModel::insertGridRow(int row)
{
    if (row < m_fixedRows || row > gridRowCount())
        return -1;
    const bool signal = !inBatch();
    if (!signal)
        batchReshaped();
    if (signal)
        beginInsertRows(QModelIndex(), row - m_fixedRows, row - m_fixedRows);
    m_rows.insert(row, makeRow());
    if (signal)
        endInsertRows();
    return row;
}

int GridModel::insertRowAtTop()
{
    return insertGridRow(m_fixedRows);
}

int GridModel::appendRow()
{
    return insertGridRow(gridRowCount());
}

bool GridModel::removeGridRow(int row)
{
    if (row < m_fixedRows || row >= gridRowCount())
        return false;
    const bool signal = !inBatch();
    if (!signal)
        batchReshaped();
    if (signal)
        beginRemoveRows(QModelIndex(), row - m_fixedRows, row - m_fixedRows);
    m_rows.removeAt(row);
    if (signal)
        endRemoveRows();
    return true;
}

void GridModel::removeNonFixedRows()
{
    setGridRowCount(m_fixedRows);
}

int GridModel::rowHeight(int row) const
{
    return row >= 0 && row < gridRowCount() ? m_rows[row].height : 0;
}

void GridModel::setRowHeight(int row, int height)
{
    if (row < 0 || row >= gridRowCount())
        return;
    height = std::max(0, height);
    if (m_rows[row].height == height)
        return;
    m_rows[row].height = height;
    if (inBatch())
        m_dirtyHeights.add(row);
    else
        emit rowHeightChanged(row);
}

int GridModel::columnWidth(int column) const
{
    return column >= 0 && column < gridColumnCount() ? m_columnWidths[column] : 0;
}

void GridModel::setColumnWidth(int column, int width)
{
    if (column < 0 || column >= gridColumnCount())
        return;
    width = std::max(0, width);
    if (m_columnWidths[column] == width)
        return;
    m_columnWidths[column] = width;
    if (inBatch())
        m_dirtyWidths.add(column);
    else
        emit columnWidthChanged(column);
}

void GridModel::setDefaultRowHeight(int height)
{
    height = std::max(0, height);
    if (height == m_defaultRowHeight)
        return;
    m_defaultRowHeight = height;
    emit defaultRowHeightChanged(height);
}

void GridModel::cellChanged(int row, int column, const QList<int> &roles)
{
    if (inBatch()) {
        m_dirtyRows.add(row);
        m_dirtyColumns.add(column);
        return;
    }
    cellsChanged({row, row}, {column, column}, roles);
}

QString GridModel::text(int row, int column) const
{
    return isValidCell(row, column) ? m_rows[row].cells[column].text : QString();
}

void GridModel::setText(int row, int column, const QString &text)
{
    if (!isValidCell(row, column))
        return;
    m_rows[row].cells[column].text = text;
    cellChanged(row, column, {Qt::DisplayRole, Qt::EditRole});
}

int GridModel::image(int row, int column) const
{
    return isValidCell(row, column) ? m_rows[row].cells[column].image : -1;
}

void GridModel::setImage(int row, int column, int image)
{
    if (!isValidCell(row, column))
        return;
    m_rows[row].cells[column].image = std::max(-1, image);
    cellChanged(row, column, {Qt::DecorationRole});
}

QColor GridModel::background(int row, int column) const
{
    return isValidCell(row, column) ? m_rows[row].cells[column].background : QColor();
}

void GridModel::setBackground(int row, int column, const QColor &colour)
{
    if (!isValidCell(row, column))
        return;
    m_rows[row].cells[column].background = colour;
    cellChanged(row, column, {Qt::BackgroundRole});
}

void GridModel::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    m_editable = editable;
    // Only the flags change: views re-read them on the next edit trigger.
    if (inBatch())
        m_batchAllCells = true;
    else if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool GridModel::isCellReadOnly(int row, int column) const
{
    return isValidCell(row, column) && m_rows[row].cells[column].readOnly;
}

void GridModel::setCellReadOnly(int row, int column, bool readOnly)
{
    if (!isValidCell(row, column))
        return;
    m_rows[row].cells[column].readOnly = readOnly;
    cellChanged(row, column, {});
}

bool GridModel::isCellEditable(int row, int column) const
{
    return m_editable && isValidCell(row, column) && !isFixedCell(row, column)
           && !m_rows[row].cells[column].readOnly;
}

QStringList GridModel::options(int row, int column) const
{
    return isValidCell(row, column) ? m_rows[row].cells[column].options : QStringList();
}

void GridModel::setOptions(int row, int column, const QStringList &options)
{
    if (!isValidCell(row, column))
        return;
    m_rows[row].cells[column].options = options;
    cellChanged(row, column, {OptionsRole});
}

void GridModel::imagesChanged()
{
    // Any cell may show any slot: one signal for the whole table, not one per cell.
    if (inBatch())
        m_batchAllCells = true;
    else
        allCellsChanged({Qt::DecorationRole});
}

void GridModel::setImageList(const QList<QPixmap> &images)
{
    m_images = images;
    imagesChanged();
}

void GridModel::setImageListSize(int slotCount)
{
    m_images.resize(std::max(0, slotCount));
    imagesChanged();
}

bool GridModel::setListImage(int slot, const QPixmap &pixmap)
{
    if (slot < 0 || slot >= m_images.size())
        return false;
    m_images[slot] = pixmap;
    imagesChanged();
    return true;
}

bool GridModel::setListImage(int slot, const QImage &image)
{
    return setListImage(slot, QPixmap::fromImage(image));
}

void GridModel::setImageListFromStrip(const QImage &strip, int imageWidth, const QColor &transparent)
{
    QList<QPixmap> images;
    if (imageWidth > 0) {
        QImage source = strip.convertToFormat(QImage::Format_ARGB32);
        if (transparent.isValid()) {
            const QRgb key = transparent.rgb();
            for (int y = 0; y < source.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(source.scanLine(y));
                for (int x = 0; x < source.width(); ++x) {
                    if ((line[x] | 0xff000000u) == key)
                        line[x] = qRgba(0, 0, 0, 0);
                }
            }
        }
        for (int x = 0; x + imageWidth <= source.width(); x += imageWidth)
            images.append(QPixmap::fromImage(source.copy(x, 0, imageWidth, source.height())));
    }
    setImageList(images);
}

QModelIndex GridModel::cellIndex(int row, int column) const
{
    if (!isValidCell(row, column) || isFixedCell(row, column))
        return QModelIndex();
    return index(row - m_fixedRows, column - m_fixedColumns);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : gridRowCount() - m_fixedRows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : gridColumnCount() - m_fixedColumns;
}

QVariant GridModel::cellData(int row, int column, int role) const
{
    if (!isValidCell(row, column))
        return {};
    const Cell &cell = m_rows[row].cells[column];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell.text;
    case Qt::DecorationRole:
        if (cell.image >= 0 && cell.image < m_images.size() && !m_images[cell.image].isNull())
            return m_images[cell.image];
        return {};
    case Qt::BackgroundRole:
        return cell.background.isValid() ? QVariant(QBrush(cell.background)) : QVariant();
    case OptionsRole:
        return cell.options.isEmpty() ? QVariant() : QVariant(cell.options);
    case Qt::ToolTipRole:
        return m_textTips && !cell.text.isEmpty() ? QVariant(cell.text) : QVariant();
    default:
        return {};
    }
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return cellData(gridRow(index), gridColumn(index), role);
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int row = gridRow(index);
    const int column = gridColumn(index);
    if (!isCellEditable(row, column))
        return false;
    const QString text = value.toString();
    if (m_rows[row].cells[column].text == text)
        return true;
    setText(row, column, text);
    emit cellEdited(row, column);
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    int row = 0;
    int column = 0;
    if (orientation == Qt::Horizontal) {
        if (m_fixedRows == 0 || section < 0 || section >= columnCount())
            return {};
        column = section + m_fixedColumns;
    } else {
        if (m_fixedColumns == 0 || section < 0 || section >= rowCount())
            return {};
        row = section + m_fixedRows;
    }
    if (role == OptionsRole)
        return {};
    return cellData(row, column, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (isCellEditable(gridRow(index), gridColumn(index)))
        flags |= Qt::ItemIsEditable;
    return flags;
}
