#pragma once

#include "GridCellRange.h"

#include <QPersistentModelIndex>
#include <QTableView>

#include <span>

class GridLineStyle;
class GridModel;
class QAbstractButton;
class QMenu;

// The grid control of the forms: a table view over one GridModel, addressed by cell.
//
// Every row and column number taken or returned by this class is a grid coordinate: the fixed
// (header) rows and columns come first and count from 0, so with one fixed row the first data row
// is row 1. (QTableView's own row/column functions that this class does not redeclare still take
// the view's coordinates, which leave the fixed rows and columns out.)
//
// The owner sets an integer grid kind; double-clicks and right-clicks are reported with the cell
// and the kind, so that one handler can serve several grids. The grid is right to left unless the
// owner says otherwise; cells are edited by typing or by clicking the current cell, never by a
// double-click, which is the owner's.
class CGridCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CGridCtrl(QWidget *parent = nullptr);

    GridModel *gridModel() const { return m_model; }

    int gridKind() const { return m_gridKind; }
    void setGridKind(int kind) { m_gridKind = kind; }

    // Shape.
    int rowCount() const;
    int columnCount() const;
    void setRowCount(int rows);
    void setColumnCount(int columns);
    int fixedRowCount() const;
    int fixedColumnCount() const;
    void setFixedRowCount(int rows);
    void setFixedColumnCount(int columns);

    // Sizes in pixels, 0 hides. The fixed row's height is the header's, the fixed column's width
    // the row header's.
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    // As many columns as widths, each as wide as given.
    void setColumns(std::span<const int> widths);
    int defaultRowHeight() const;
    void setDefaultRowHeight(int height);

    // Cells.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    int image(int row, int column) const;
    void setImage(int row, int column, int image);
    QColor background(int row, int column) const;
    void setBackground(int row, int column, const QColor &colour);
    bool isEditable() const;
    void setEditable(bool editable);
    bool isCellReadOnly(int row, int column) const;
    void setCellReadOnly(int row, int column, bool readOnly);
    bool isCellEditable(int row, int column) const;
    QStringList options(int row, int column) const;
    void setOptions(int row, int column, const QStringList &options);

    // Rows; each returns the new row's number, or -1.
    int insertRowAtTop();
    int appendRow();
    int insertRow(int row);
    bool removeRow(int row);
    void removeNonFixedRows();

    // The attached image list.
    const QList<QPixmap> &imageList() const;
    void setImageList(const QList<QPixmap> &images);
    void setImageListSize(int slotCount);
    bool setListImage(int slot, const QImage &image);
    bool setListImage(int slot, const QPixmap &pixmap);

    // Many changes at once with one repaint (see GridModel).
    void beginBatch();
    void endBatch();

    // Selection and the current (focus) cell.
    GridCellRange selectedCellRange() const;
    bool isCellSelected(int row, int column) const;
    void setSelectedRange(const GridCellRange &range);
    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int row, int column);
    // The rows with a selected cell, top to bottom.
    QList<int> selectedRows() const;
    // A click on any cell selects its whole row (off: the one cell).
    void setRowSelection(bool rows);

    QColor gridLineColour() const;
    void setGridLineColour(const QColor &colour);

    // Tab-separated columns, one line per row, from the current cell down and across; read-only
    // and fixed cells and cells past the grid's edge are left alone. Returns the cells written.
    int pasteText(const QString &text);
    QString selectedText() const;

    // Shows a context menu whose actions carry their command ids as data, at the point, and
    // deletes it. The chosen command; 0 when the menu was closed without a choice.
    static int chooseCommand(QMenu *menu, const QPoint &globalPos);
    // The same for a right click on a cell: the cell becomes current first, unless it already is.
    int chooseCommandAt(int row, int column, QMenu *menu, const QPoint &globalPos);

public slots:
    void paste();
    void copy();
    void cut();

signals:
    void cellDoubleClicked(int row, int column, int gridKind);
    void cellRightDoubleClicked(int row, int column, int gridKind);
    // A right-click (or the menu key) on a cell; globalPos is where a context menu belongs.
    void cellRightClicked(int row, int column, int gridKind, const QPoint &globalPos);
    // The user changed a cell's text in place: typed, pasted or cut.
    void cellEdited(int row, int column);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applyLayout();
    void takeAnchor();
    void keepAnchor();
    void applyRowHeights(int firstRow, int lastRow);
    void applyColumnWidth(int column);
    void onSectionResized(Qt::Orientation orientation, int section, int size);
    bool headerMouseEvent(QObject *watched, QEvent *event);
    bool paintCorner();
    bool isClipboardKey(QKeyEvent *event) const;
    void setEditedText(int row, int column, const QString &text);

    GridModel *m_model;
    QAbstractButton *m_corner = nullptr;
    GridLineStyle *m_lineStyle = nullptr;
    int m_gridKind = 0;
    // Set while this class resizes sections itself, so that those resizes are not taken for the
    // user's.
    bool m_applying = false;
    // The first row in view while rows arrive above it, and how far it is scrolled past.
    QPersistentModelIndex m_anchor;
    int m_anchorInside = 0;
    bool m_restoringAnchor = false;
};
