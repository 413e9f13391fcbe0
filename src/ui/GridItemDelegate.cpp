#include "GridItemDelegate.h"

#include "GridModel.h"

#include <QComboBox>

GridItemDelegate::GridItemDelegate(QObject *parent) : QStyledItemDelegate(parent)
{
}

QWidget *GridItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    const QStringList options = index.data(GridModel::OptionsRole).toStringList();
    if (options.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto *combo = new QComboBox(parent);
    combo->addItems(options);
    // A choice ends the edit at once, as a list cell does.
    connect(combo, &QComboBox::activated, this, &GridItemDelegate::commitAndClose);
    return combo;
}

void GridItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        // A text that is not among the options (often the empty text) shows no choice.
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void GridItemDelegate::commitAndClose()
{
    if (auto *editor = qobject_cast<QWidget *>(sender())) {
        emit commitData(editor);
        emit closeEditor(editor);
    }
}
