#pragma once

#include <QStyledItemDelegate>

// Edits grid cells: a drop-down list cell (one with options) gets a combo box holding its
// options, every other cell the usual line edit.
class GridItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridItemDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private slots:
    void commitAndClose();
};
