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
    if (!inBatch())
        beginResetModel();
}

void GridModel::resetEnd()
{
    if (!inBatch())
        endResetModel();
}

void GridModel::beginBatch()
{
    if (m_batchDepth++ == 0)
        beginResetModel();
}

void GridModel::endBatch()
{
    Q_ASSERT(m_batchDepth > 0);
    if (m_batchDepth > 0 && --m_batchDepth == 0)
        endResetModel();
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
    if (!inBatch())
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
    if (!inBatch())
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
    if (inBatch())
        return;
    const bool fixedRow = row < m_fixedRows;
    const bool fixedColumn = column < m_fixedColumns;
    if (fixedRow && fixedColumn) {
        emit cornerCellChanged();
    } else if (fixedRow) {
        const int section = column - m_fixedColumns;
        emit headerDataChanged(Qt::Horizontal, section, section);
    } else if (fixedColumn) {
        const int section = row - m_fixedRows;
        emit headerDataChanged(Qt::Vertical, section, section);
    } else {
        const QModelIndex index = cellIndex(row, column);
        emit dataChanged(index, index, roles);
    }
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
    if (!inBatch() && rowCount() > 0 && columnCount() > 0)
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
    if (inBatch())
        return;
    // Any cell may show any slot: one signal for the whole table, not one per cell.
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DecorationRole});
    if (m_fixedRows > 0 && columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (m_fixedColumns > 0 && rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    if (m_fixedRows > 0 && m_fixedColumns > 0)
        emit cornerCellChanged();
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
