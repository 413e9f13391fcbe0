#pragma once

#include "FolderSearch.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QSet>

// The result list of the search-the-computer window: one row per entry found, columns Name, In
// Folder, Size and Modified. What a search does to rows already listed depends on the list mode:
// replace starts from an empty list, add leaves out a path already listed, remove takes the paths
// found again out of the list. Paths are compared without regard to case.
class FoundFilesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum ListMode : int { Replace = 0, Add = 1, Remove = 2 };
    enum Column : int { NameColumn, FolderColumn, SizeColumn, ModifiedColumn, ColumnCount };

    explicit FoundFilesModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The icon every row shows beside its name.
    void setRowIcon(const QIcon &icon) { m_icon = icon; }

    // What a search starts with in `mode`: the replace mode empties the list.
    void beginSearch(ListMode mode);
    // Entries a running search has found, applied in `mode`.
    void apply(ListMode mode, const QList<FoundFile> &files);
    void clear();

    const FoundFile &fileAt(int row) const { return m_rows.at(row); }
    const QList<FoundFile> &files() const { return m_rows; }

    // The column texts of an entry, as the list shows them (the display role isolates all but the
    // name as left-to-right text).
    static QString text(const FoundFile &file, int column);

private:
    static QString key(const FoundFile &file);

    QList<FoundFile> m_rows;
    QSet<QString> m_keys;
    QIcon m_icon;
};
