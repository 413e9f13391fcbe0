#include "FoundFilesModel.h"

FoundFilesModel::FoundFilesModel(QObject *parent) : QAbstractTableModel(parent) {}

int FoundFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FoundFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FoundFilesModel::text(const FoundFile &file, int column)
{
    switch (column) {
    case NameColumn: return file.name;
    case FolderColumn: return file.folder;
    case SizeColumn: return FoundFile::sizeText(file.size);
    case ModifiedColumn: return FoundFile::modifiedText(file.modified);
    default: return {};
    }
}

QVariant FoundFilesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const FoundFile &file = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        // Paths, sizes and times read left to right inside the right-to-left list, so that
        // "38 B" does not show as "B 38".
        const QString t = text(file, index.column());
        return index.column() == NameColumn ? t : QChar(0x2066) + t + QChar(0x2069);
    }
    case Qt::ToolTipRole: return index.column() == FolderColumn ? QVariant(file.path()) : QVariant();
    case Qt::DecorationRole: return index.column() == NameColumn && !m_icon.isNull() ? QVariant(m_icon) : QVariant();
    case Qt::TextAlignmentRole: return QVariant(Qt::AlignLeading | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant FoundFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeading | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Name");
    case FolderColumn: return QStringLiteral("In Folder");
    case SizeColumn: return QStringLiteral("Size");
    case ModifiedColumn: return QStringLiteral("Modified");
    default: return {};
    }
}

QString FoundFilesModel::key(const FoundFile &file)
{
    return file.path().toCaseFolded();
}

void FoundFilesModel::beginSearch(ListMode mode)
{
    if (mode == Replace)
        clear();
}

void FoundFilesModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    m_keys.clear();
    endResetModel();
}

void FoundFilesModel::apply(ListMode mode, const QList<FoundFile> &files)
{
    if (files.isEmpty())
        return;
    if (mode == Remove) {
        QSet<QString> gone;
        for (const FoundFile &f : files) {
            const QString k = key(f);
            if (m_keys.remove(k))
                gone.insert(k);
        }
        // From the end, one run of neighbouring rows at a time.
        for (int row = int(m_rows.size()) - 1; row >= 0 && !gone.isEmpty();) {
            if (!gone.contains(key(m_rows.at(row)))) {
                --row;
                continue;
            }
            int first = row;
            while (first > 0 && gone.contains(key(m_rows.at(first - 1))))
                --first;
            beginRemoveRows({}, first, row);
            for (int r = first; r <= row; ++r)
                gone.remove(key(m_rows.at(r)));
            m_rows.remove(first, row - first + 1);
            endRemoveRows();
            row = first - 1;
        }
        return;
    }
    QList<FoundFile> added;
    for (const FoundFile &f : files) {
        const QString k = key(f);
        // The replace mode lists whatever the search hands over; the add mode only what is new.
        if (mode == Add && m_keys.contains(k))
            continue;
        m_keys.insert(k);
        added.append(f);
    }
    if (added.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + added.size() - 1));
    m_rows.append(added);
    endInsertRows();
}
