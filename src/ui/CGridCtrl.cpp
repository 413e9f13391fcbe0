#include "CGridCtrl.h"

#include "GridItemDelegate.h"
#include "GridLineStyle.h"
#include "GridModel.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include <algorithm>
#include <limits>

namespace {

constexpr Qt::Alignment kHeaderAlignment = Qt::AlignLeading | Qt::AlignVCenter;
// Sections as small as the forms ask for (header rows of 20 pixels) must not be rounded up.
constexpr int kMinimumSectionSize = 1;
const QChar kColumnSeparator = u'\t';
const QChar kRowSeparator = u'\n';

} // namespace

CGridCtrl::CGridCtrl(QWidget *parent) : QTableView(parent), m_model(new GridModel(this))
{
    setModel(m_model);
    setItemDelegate(new GridItemDelegate(this));
    setLayoutDirection(Qt::RightToLeft);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(true);

    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(kMinimumSectionSize);
        header->setDefaultAlignment(kHeaderAlignment);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->setTextElideMode(Qt::ElideRight);
        header->setContextMenuPolicy(Qt::CustomContextMenu);
        header->viewport()->installEventFilter(this);
    }
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(GridModel::kDefaultColumnWidth);

    // The corner is the fixed cell (0, 0): it shows that cell's text and reports its clicks.
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { onSectionResized(Qt::Horizontal, section, size); });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { onSectionResized(Qt::Vertical, section, size); });
    connect(horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int section = horizontalHeader()->logicalIndexAt(pos);
        if (section >= 0)
            emit cellRightClicked(0, section + m_model->fixedColumnCount(), m_gridKind,
                                  horizontalHeader()->mapToGlobal(pos));
    });
    connect(verticalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int section = verticalHeader()->logicalIndexAt(pos);
        if (section >= 0)
            emit cellRightClicked(section + m_model->fixedRowCount(), 0, m_gridKind,
                                  verticalHeader()->mapToGlobal(pos));
    });

    connect(m_model, &GridModel::modelReset, this, &CGridCtrl::applyLayout);
    connect(m_model, &GridModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        applyRowHeights(first + m_model->fixedRowCount(), last + m_model->fixedRowCount());
    });
    connect(m_model, &GridModel::columnsInserted, this, [this](const QModelIndex &, int first, int last) {
        for (int column = first; column <= last; ++column)
            applyColumnWidth(column + m_model->fixedColumnCount());
    });
    connect(m_model, &GridModel::rowHeightChanged, this, [this](int row) {
        applyRowHeights(row, row);
        keepAnchor();
    });
    connect(m_model, &GridModel::rowHeightsChanged, this, [this](int first, int last) {
        applyRowHeights(first, last);
        keepAnchor();
    });
    // Rows streamed in above what the user scrolled to must not move it.
    connect(m_model, &GridModel::rowsAboutToBeInserted, this, &CGridCtrl::takeAnchor);
    connect(m_model, &GridModel::rowsInserted, this, &CGridCtrl::keepAnchor);
    connect(m_model, &GridModel::modelReset, this, [this] { m_anchor = QPersistentModelIndex(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_restoringAnchor)
            m_anchor = QPersistentModelIndex();
    });
    connect(m_model, &GridModel::columnWidthChanged, this, &CGridCtrl::applyColumnWidth);
    connect(m_model, &GridModel::defaultRowHeightChanged, this, &CGridCtrl::applyLayout);
    connect(m_model, &GridModel::cornerCellChanged, this, [this] {
        if (m_corner)
            m_corner->update();
    });
    connect(m_model, &GridModel::cellEdited, this, &CGridCtrl::cellEdited);

    applyLayout();
}

// --- layout ---------------------------------------------------------------------------------

void CGridCtrl::takeAnchor()
{
    // At the very top the newest rows show as they come; scrolled down, the first row in view
    // stays where it is.
    if (m_anchor.isValid() || verticalScrollBar()->value() <= 0)
        return;
    const int top = rowAt(0);
    if (top < 0)
        return;
    m_anchor = QPersistentModelIndex(m_model->index(top, 0));
    m_anchorInside = -rowViewportPosition(top);
}

void CGridCtrl::keepAnchor()
{
    if (!m_anchor.isValid())
        return;
    m_restoringAnchor = true;
    updateGeometries();
    verticalScrollBar()->setValue(verticalHeader()->sectionPosition(m_anchor.row()) + m_anchorInside);
    m_restoringAnchor = false;
}

void CGridCtrl::applyLayout()
{
    m_applying = true;
    const int rows = m_model->gridRowCount();
    const int columns = m_model->gridColumnCount();
    horizontalHeader()->setVisible(m_model->fixedRowCount() > 0 && m_model->rowHeight(0) > 0);
    verticalHeader()->setVisible(m_model->fixedColumnCount() > 0 && m_model->columnWidth(0) > 0);
    // Rows keep the default size unless they differ from it: with thousands of rows of one height
    // nothing is done per row.
    if (m_model->defaultRowHeight() > 0)
        verticalHeader()->setDefaultSectionSize(m_model->defaultRowHeight());
    m_applying = false;
    for (int column = 0; column < columns; ++column)
        applyColumnWidth(column);
    applyRowHeights(0, rows - 1);
}

void CGridCtrl::applyRowHeights(int firstRow, int lastRow)
{
    m_applying = true;
    const int fixedRows = m_model->fixedRowCount();
    QHeaderView *rows = verticalHeader();
    for (int row = std::max(0, firstRow); row <= lastRow && row < m_model->gridRowCount(); ++row) {
        const int height = m_model->rowHeight(row);
        if (row < fixedRows) {
            horizontalHeader()->setVisible(height > 0);
            horizontalHeader()->setFixedHeight(height);
            continue;
        }
        const int section = row - fixedRows;
        if (height == 0) {
            if (!rows->isSectionHidden(section))
                rows->hideSection(section);
            continue;
        }
        if (rows->isSectionHidden(section))
            rows->showSection(section);
        if (rows->sectionSize(section) != height)
            rows->resizeSection(section, height);
    }
    m_applying = false;
}

void CGridCtrl::applyColumnWidth(int column)
{
    if (column < 0 || column >= m_model->gridColumnCount())
        return;
    m_applying = true;
    const int width = m_model->columnWidth(column);
    const int fixedColumns = m_model->fixedColumnCount();
    if (column < fixedColumns) {
        verticalHeader()->setVisible(width > 0);
        verticalHeader()->setFixedWidth(width);
    } else {
        QHeaderView *columns = horizontalHeader();
        const int section = column - fixedColumns;
        if (width == 0) {
            columns->hideSection(section);
        } else {
            if (columns->isSectionHidden(section))
                columns->showSection(section);
            columns->resizeSection(section, width);
        }
    }
    m_applying = false;
}

void CGridCtrl::onSectionResized(Qt::Orientation orientation, int section, int size)
{
    if (m_applying)
        return;
    // The user dragged a divider: the store follows, so that the size survives a reset.
    const QSignalBlocker blocker(m_model);
    if (orientation == Qt::Horizontal)
        m_model->setColumnWidth(section + m_model->fixedColumnCount(), size);
    else
        m_model->setRowHeight(section + m_model->fixedRowCount(), size);
}

// --- forwarding to the cell store -------------------------------------------------------------

int CGridCtrl::rowCount() const { return m_model->gridRowCount(); }
int CGridCtrl::columnCount() const { return m_model->gridColumnCount(); }
void CGridCtrl::setRowCount(int rows) { m_model->setGridRowCount(rows); }
void CGridCtrl::setColumnCount(int columns) { m_model->setGridColumnCount(columns); }
int CGridCtrl::fixedRowCount() const { return m_model->fixedRowCount(); }
int CGridCtrl::fixedColumnCount() const { return m_model->fixedColumnCount(); }
void CGridCtrl::setFixedRowCount(int rows) { m_model->setFixedRowCount(rows); }
void CGridCtrl::setFixedColumnCount(int columns) { m_model->setFixedColumnCount(columns); }

int CGridCtrl::rowHeight(int row) const { return m_model->rowHeight(row); }
void CGridCtrl::setRowHeight(int row, int height) { m_model->setRowHeight(row, height); }
int CGridCtrl::columnWidth(int column) const { return m_model->columnWidth(column); }
void CGridCtrl::setColumnWidth(int column, int width) { m_model->setColumnWidth(column, width); }
int CGridCtrl::defaultRowHeight() const { return m_model->defaultRowHeight(); }
void CGridCtrl::setDefaultRowHeight(int height) { m_model->setDefaultRowHeight(height); }

QString CGridCtrl::text(int row, int column) const { return m_model->text(row, column); }
void CGridCtrl::setText(int row, int column, const QString &text) { m_model->setText(row, column, text); }
int CGridCtrl::image(int row, int column) const { return m_model->image(row, column); }
void CGridCtrl::setImage(int row, int column, int image) { m_model->setImage(row, column, image); }
QColor CGridCtrl::background(int row, int column) const { return m_model->background(row, column); }

void CGridCtrl::setBackground(int row, int column, const QColor &colour)
{
    m_model->setBackground(row, column, colour);
}

bool CGridCtrl::isEditable() const { return m_model->isEditable(); }
void CGridCtrl::setEditable(bool editable) { m_model->setEditable(editable); }
bool CGridCtrl::isCellReadOnly(int row, int column) const { return m_model->isCellReadOnly(row, column); }

void CGridCtrl::setCellReadOnly(int row, int column, bool readOnly)
{
    m_model->setCellReadOnly(row, column, readOnly);
}

bool CGridCtrl::isCellEditable(int row, int column) const { return m_model->isCellEditable(row, column); }
QStringList CGridCtrl::options(int row, int column) const { return m_model->options(row, column); }

void CGridCtrl::setOptions(int row, int column, const QStringList &options)
{
    m_model->setOptions(row, column, options);
}

int CGridCtrl::insertRowAtTop() { return m_model->insertRowAtTop(); }
int CGridCtrl::appendRow() { return m_model->appendRow(); }
int CGridCtrl::insertRow(int row) { return m_model->insertGridRow(row); }
bool CGridCtrl::removeRow(int row) { return m_model->removeGridRow(row); }
void CGridCtrl::removeNonFixedRows() { m_model->removeNonFixedRows(); }

const QList<QPixmap> &CGridCtrl::imageList() const { return m_model->imageList(); }
void CGridCtrl::setImageList(const QList<QPixmap> &images) { m_model->setImageList(images); }
void CGridCtrl::setImageListSize(int slotCount) { m_model->setImageListSize(slotCount); }
bool CGridCtrl::setListImage(int slot, const QImage &image) { return m_model->setListImage(slot, image); }
bool CGridCtrl::setListImage(int slot, const QPixmap &pixmap) { return m_model->setListImage(slot, pixmap); }

void CGridCtrl::beginBatch() { m_model->beginBatch(); }
void CGridCtrl::endBatch() { m_model->endBatch(); }

// --- selection --------------------------------------------------------------------------------

GridCellRange CGridCtrl::selectedCellRange() const
{
    GridCellRange range;
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return range;
    int top = std::numeric_limits<int>::max();
    int left = std::numeric_limits<int>::max();
    int bottom = -1;
    int right = -1;
    for (const QItemSelectionRange &part : selection) {
        top = std::min(top, part.top());
        left = std::min(left, part.left());
        bottom = std::max(bottom, part.bottom());
        right = std::max(right, part.right());
    }
    const int fixedRows = m_model->fixedRowCount();
    const int fixedColumns = m_model->fixedColumnCount();
    range.minRow = top + fixedRows;
    range.minColumn = left + fixedColumns;
    range.maxRow = bottom + fixedRows;
    range.maxColumn = right + fixedColumns;
    return range;
}

bool CGridCtrl::isCellSelected(int row, int column) const
{
    const QModelIndex index = m_model->cellIndex(row, column);
    return index.isValid() && selectionModel()->isSelected(index);
}

void CGridCtrl::setSelectedRange(const GridCellRange &range)
{
    const int top = std::max(range.minRow, m_model->fixedRowCount());
    const int left = std::max(range.minColumn, m_model->fixedColumnCount());
    const int bottom = std::min(range.maxRow, m_model->gridRowCount() - 1);
    const int right = std::min(range.maxColumn, m_model->gridColumnCount() - 1);
    if (!range.isValid() || top > bottom || left > right) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(QItemSelection(m_model->cellIndex(top, left), m_model->cellIndex(bottom, right)),
                             QItemSelectionModel::ClearAndSelect);
}

int CGridCtrl::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? m_model->gridRow(index) : -1;
}

int CGridCtrl::currentColumn() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? m_model->gridColumn(index) : -1;
}

void CGridCtrl::setCurrentCell(int row, int column)
{
    const QModelIndex index = m_model->cellIndex(row, column);
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

QList<int> CGridCtrl::selectedRows() const
{
    QList<int> rows;
    const int fixedRows = m_model->fixedRowCount();
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row() + fixedRows);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CGridCtrl::setRowSelection(bool rows)
{
    setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

// --- look -------------------------------------------------------------------------------------

QColor CGridCtrl::gridLineColour() const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
}

void CGridCtrl::setGridLineColour(const QColor &colour)
{
    // Only the table takes the style; its headers, scroll bars and editors keep the application's.
    if (!m_lineStyle) {
        m_lineStyle = new GridLineStyle(colour);
        m_lineStyle->setParent(this);
        setStyle(m_lineStyle);
    }
    m_lineStyle->setColour(colour);
    viewport()->update();
}

// --- clipboard --------------------------------------------------------------------------------

int CGridCtrl::pasteText(const QString &text)
{
    int startRow = currentRow();
    int startColumn = currentColumn();
    if (startRow < 0) {
        const GridCellRange selected = selectedCellRange();
        startRow = selected.minRow;
        startColumn = selected.minColumn;
    }
    if (startRow < 0 || text.isEmpty())
        return 0;
    QStringList lines = text.split(kRowSeparator);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    int written = 0;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        QString values = lines[line];
        if (values.endsWith(u'\r'))
            values.chop(1);
        const QStringList fields = values.split(kColumnSeparator);
        for (qsizetype field = 0; field < fields.size(); ++field) {
            const int row = startRow + int(line);
            const int column = startColumn + int(field);
            if (!m_model->isCellEditable(row, column))
                continue;
            setEditedText(row, column, fields[field]);
            ++written;
        }
    }
    return written;
}

QString CGridCtrl::selectedText() const
{
    GridCellRange range = selectedCellRange();
    if (!range.isValid()) {
        if (currentRow() < 0)
            return {};
        range = {currentRow(), currentColumn(), currentRow(), currentColumn()};
    }
    const bool onlyCurrent = selectionModel()->selection().isEmpty();
    QStringList lines;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        QStringList fields;
        for (int column = range.minColumn; column <= range.maxColumn; ++column)
            fields.append(onlyCurrent || isCellSelected(row, column) ? m_model->text(row, column) : QString());
        lines.append(fields.join(kColumnSeparator));
    }
    return lines.join(kRowSeparator);
}

void CGridCtrl::paste()
{
    pasteText(QGuiApplication::clipboard()->text());
}

void CGridCtrl::copy()
{
    const QString text = selectedText();
    if (!text.isEmpty() || currentRow() >= 0)
        QGuiApplication::clipboard()->setText(text);
}

void CGridCtrl::cut()
{
    copy();
    const GridCellRange range = selectedCellRange();
    for (int row = range.minRow; range.isValid() && row <= range.maxRow; ++row) {
        for (int column = range.minColumn; column <= range.maxColumn; ++column) {
            if (isCellSelected(row, column) && m_model->isCellEditable(row, column))
                setEditedText(row, column, QString());
        }
    }
}

void CGridCtrl::setEditedText(int row, int column, const QString &text)
{
    // Pasted or cut text is the user's edit as much as typed text: the owner hears of it alike.
    if (m_model->text(row, column) == text)
        return;
    m_model->setText(row, column, text);
    emit cellEdited(row, column);
}

bool CGridCtrl::isClipboardKey(QKeyEvent *event) const
{
    return event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy)
           || event->matches(QKeySequence::Cut);
}

// --- events -----------------------------------------------------------------------------------

bool CGridCtrl::event(QEvent *event)
{
    // The grid that has the focus takes paste, copy and cut before any window shortcut does.
    if (event->type() == QEvent::ShortcutOverride && isClipboardKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void CGridCtrl::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPersistentModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (!index.isValid())
        return;
    const int row = m_model->gridRow(index);
    const int column = m_model->gridColumn(index);
    if (event->button() == Qt::LeftButton)
        emit cellDoubleClicked(row, column, m_gridKind);
    else if (event->button() == Qt::RightButton)
        emit cellRightDoubleClicked(row, column, m_gridKind);
}

void CGridCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index =
        event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    if (!index.isValid()) {
        event->ignore();
        return;
    }
    QPoint globalPos = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse)
        globalPos = viewport()->mapToGlobal(visualRect(index).center());
    emit cellRightClicked(m_model->gridRow(index), m_model->gridColumn(index), m_gridKind, globalPos);
    event->accept();
}

bool CGridCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint)
        return paintCorner();
    if (event->type() == QEvent::MouseButtonDblClick)
        headerMouseEvent(watched, event);
    return QTableView::eventFilter(watched, event);
}

bool CGridCtrl::headerMouseEvent(QObject *watched, QEvent *event)
{
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint pos = mouse->position().toPoint();
    int row = -1;
    int column = -1;
    if (watched == m_corner) {
        row = 0;
        column = 0;
    } else if (watched == horizontalHeader()->viewport()) {
        const int section = horizontalHeader()->logicalIndexAt(pos);
        if (section >= 0) {
            row = 0;
            column = section + m_model->fixedColumnCount();
        }
    } else if (watched == verticalHeader()->viewport()) {
        const int section = verticalHeader()->logicalIndexAt(pos);
        if (section >= 0) {
            row = section + m_model->fixedRowCount();
            column = 0;
        }
    }
    if (row < 0)
        return false;
    if (mouse->button() == Qt::LeftButton)
        emit cellDoubleClicked(row, column, m_gridKind);
    else if (mouse->button() == Qt::RightButton)
        emit cellRightDoubleClicked(row, column, m_gridKind);
    return true;
}

bool CGridCtrl::paintCorner()
{
    QStyleOptionHeader option;
    option.initFrom(m_corner);
    option.rect = m_corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = m_model->text(0, 0);
    option.textAlignment = kHeaderAlignment;
    const int image = m_model->image(0, 0);
    if (image >= 0 && image < m_model->imageList().size())
        option.icon = QIcon(m_model->imageList().at(image));
    if (m_corner->isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    QPainter painter(m_corner);
    style()->drawControl(QStyle::CE_Header, &option, &painter, m_corner);
    return true;
}

int CGridCtrl::chooseCommand(QMenu *menu, const QPoint &globalPos)
{
    if (!menu)
        return 0;
    const QAction *chosen = menu->exec(globalPos);
    const int command = chosen ? chosen->data().toInt() : 0;
    delete menu;
    return command;
}

int CGridCtrl::chooseCommandAt(int row, int column, QMenu *menu, const QPoint &globalPos)
{
    if (row >= 0 && column >= 0 && currentRow() != row)
        setCurrentCell(row, column);
    return chooseCommand(menu, globalPos);
}

void CGridCtrl::setColumns(std::span<const int> widths)
{
    setColumnCount(int(widths.size()));
    for (int c = 0; c < int(widths.size()); ++c)
        setColumnWidth(c, widths[size_t(c)]);
}
