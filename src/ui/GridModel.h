#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QStringList>

#include <algorithm>

class QImage;

// The cell store of a grid. Every cell is addressed by (row, column) in grid coordinates, where the
// fixed (header) rows and columns come first and count from 0, exactly as the forms address them.
//
// To Qt's item views the model shows only the scrolling part: item (r, c) is grid cell
// (r + fixedRowCount(), c + fixedColumnCount()). The one fixed row is the horizontal header and
// the one fixed column the vertical header (headerData); their shared corner cell (0, 0) is kept
// here and drawn by the view's corner.
//
// Row heights and column widths live here too, so that they travel with their rows when rows are
// inserted at the top and survive a reset; a size of 0 hides the row or column.
//
// Many changes at once: wrap the work in beginBatch()/endBatch() (or a BatchScope). Inside a batch
// no per-cell or per-row signals are sent. A batch that only changes cells and sizes ends in one
// change notice over the cells it touched, so that the views keep their selection and scroll
// position (a row streamed in is inserted first and then filled in a batch); a batch that also
// inserts or removes rows or columns, or changes the fixed counts, ends in one reset.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Header rows and columns are drawn by QHeaderView, which has one row of sections.
    static constexpr int kMaxFixed = 1;
    static constexpr int kDefaultRowHeight = 25;
    static constexpr int kDefaultColumnWidth = 80;
    // The drop-down options of an item (QStringList), read by the grid's delegate.
    static constexpr int OptionsRole = Qt::UserRole + 1;

    class BatchScope
    {
    public:
        explicit BatchScope(GridModel *model) : m_model(model) { m_model->beginBatch(); }
        ~BatchScope() { m_model->endBatch(); }
        BatchScope(const BatchScope &) = delete;
        BatchScope &operator=(const BatchScope &) = delete;

    private:
        GridModel *m_model;
    };

    explicit GridModel(QObject *parent = nullptr);

    // Shape, in grid coordinates (fixed rows and columns included).
    int gridRowCount() const { return int(m_rows.size()); }
    int gridColumnCount() const { return int(m_columnWidths.size()); }
    void setGridRowCount(int rows);
    void setGridColumnCount(int columns);
    int fixedRowCount() const { return m_fixedRows; }
    int fixedColumnCount() const { return m_fixedColumns; }
    // Raises the row (column) count when it is below the fixed count. At most kMaxFixed.
    void setFixedRowCount(int rows);
    void setFixedColumnCount(int columns);
    bool isValidCell(int row, int column) const;
    bool isFixedCell(int row, int column) const;

    // Rows: new rows are empty, editable and get the default row height. Rows go only below the
    // fixed rows; the functions return the grid row of the new row, or -1.
    int insertGridRow(int row);
    int insertRowAtTop();
    int appendRow();
    bool removeGridRow(int row);
    void removeNonFixedRows();

    // Sizes in pixels; 0 hides the row or column.
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    int defaultRowHeight() const { return m_defaultRowHeight; }
    // The height rows created from now on get.
    void setDefaultRowHeight(int height);

    // Cells.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    // Index into the image list, -1 for none.
    int image(int row, int column) const;
    void setImage(int row, int column, int image);
    // An invalid colour means the grid's default background.
    QColor background(int row, int column) const;
    void setBackground(int row, int column, const QColor &colour);
    // A cell can be edited when the grid is editable (grids start read-only) and the cell itself is
    // not read-only; fixed cells never are.
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable);
    // Cells show their whole text as a tooltip (for columns too narrow for it).
    void setTextTips(bool on) { m_textTips = on; }
    bool isCellReadOnly(int row, int column) const;
    void setCellReadOnly(int row, int column, bool readOnly);
    bool isCellEditable(int row, int column) const;
    // A cell with options is a drop-down list cell; an empty list makes it a plain cell again.
    QStringList options(int row, int column) const;
    void setOptions(int row, int column, const QStringList &options);
    bool isDropDown(int row, int column) const { return !options(row, column).isEmpty(); }

    // The image list the cells' image indexes point into.
    const QList<QPixmap> &imageList() const { return m_images; }
    void setImageList(const QList<QPixmap> &images);
    // Sizes the list once to a number of empty slots, so that filling a slot never grows it.
    void setImageListSize(int slotCount);
    bool setListImage(int slot, const QPixmap &pixmap);
    bool setListImage(int slot, const QImage &image);
    // Cuts a horizontal strip of square-ish icons of the given width into the image list; pixels of
    // the transparent colour become transparent (an invalid colour keeps the strip as it is).
    void setImageListFromStrip(const QImage &strip, int imageWidth, const QColor &transparent);

    void beginBatch();
    void endBatch();
    bool inBatch() const { return m_batchDepth > 0; }

    // Between Qt items and grid cells.
    QModelIndex cellIndex(int row, int column) const;
    int gridRow(const QModelIndex &index) const { return index.row() + m_fixedRows; }
    int gridColumn(const QModelIndex &index) const { return index.column() + m_fixedColumns; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // Sent outside batches only; a batch ends in a model reset instead.
    void rowHeightChanged(int row);
    void columnWidthChanged(int column);
    void defaultRowHeightChanged(int height);
    // The heights of the rows first to last changed in a batch.
    void rowHeightsChanged(int first, int last);
    void cornerCellChanged();
    // The user changed the text of a cell through an editor.
    void cellEdited(int row, int column);

private:
    struct Cell
    {
        QString text;
        QStringList options;
        QColor background;
        int image = -1;
        bool readOnly = false;
    };
    struct Row
    {
        QList<Cell> cells;
        int height = kDefaultRowHeight;
    };

    // Grid rows or columns first to last; first < 0 is none.
    struct Span
    {
        int first = -1;
        int last = -1;
        bool isValid() const { return first >= 0; }
        void add(int value)
        {
            first = isValid() ? std::min(first, value) : value;
            last = std::max(last, value);
        }
    };

    Row makeRow() const;
    void cellsChanged(Span rows, Span columns, const QList<int> &roles = {});
    void allCellsChanged(const QList<int> &roles);
    void batchReshaped();
    QVariant cellData(int row, int column, int role) const;
    void cellChanged(int row, int column, const QList<int> &roles);
    void imagesChanged();
    void resetBegin();
    void resetEnd();

    QList<Row> m_rows;
    QList<int> m_columnWidths;
    QList<QPixmap> m_images;
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    int m_defaultRowHeight = kDefaultRowHeight;
    int m_batchDepth = 0;
    bool m_batchResetting = false;
    bool m_batchAllCells = false;
    Span m_dirtyRows;
    Span m_dirtyColumns;
    Span m_dirtyHeights;
    Span m_dirtyWidths;
    bool m_editable = false;
    bool m_textTips = false;
};
