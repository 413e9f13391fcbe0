#include "OutboxRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<OutboxRow> &OutboxRow::table()
{
    static const TableInfo<OutboxRow> info{
        u"COPYOUT"_s,
        DbFile::Archive,
        {
            {u"id"_s, ColumnType::Key, &OutboxRow::id},
            {u"station"_s, ColumnType::Text, &OutboxRow::station},
            {u"card"_s, ColumnType::Int32, &OutboxRow::card},
            {u"list"_s, ColumnType::Int32, &OutboxRow::list},
            {u"record"_s, ColumnType::Bytes, &OutboxRow::record},
        },
    };
    return info;
}
