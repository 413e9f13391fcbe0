#include "DocumentRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<DocumentRow> &DocumentRow::table()
{
    static const TableInfo<DocumentRow> info{
        u"FILESERVER"_s,
        DbFile::Archive,
        {
            {u"sn"_s, ColumnType::Key, &DocumentRow::serial},
            {u"n1"_s, ColumnType::Int32, &DocumentRow::cardNumber},
            {u"n2"_s, ColumnType::Int32, &DocumentRow::itemNumber},
            {u"n3"_s, ColumnType::Int32, &DocumentRow::kind},
            {u"n4"_s, ColumnType::Int32, &DocumentRow::spareNumber1},
            {u"n5"_s, ColumnType::Int32, &DocumentRow::typeCode},
            {u"n6"_s, ColumnType::Int64, &DocumentRow::size},
            {u"n7"_s, ColumnType::Int32, &DocumentRow::spareNumber2},
            {u"n8"_s, ColumnType::Int32, &DocumentRow::spareNumber3},
            {u"n9"_s, ColumnType::Int32, &DocumentRow::lastCardNumber},
            {u"n10"_s, ColumnType::Int32, &DocumentRow::spareNumber4},
            {u"s1"_s, ColumnType::Text, &DocumentRow::classPath},
            {u"s2"_s, ColumnType::Text, &DocumentRow::cardName},
            {u"s3"_s, ColumnType::Text, &DocumentRow::notes},
            {u"s4"_s, ColumnType::Text, &DocumentRow::editor},
            {u"s5"_s, ColumnType::Text, &DocumentRow::fileName},
            {u"s6"_s, ColumnType::Text, &DocumentRow::keywords},
            {u"s7"_s, ColumnType::Text, &DocumentRow::seriesFolder},
            {u"s8"_s, ColumnType::Text, &DocumentRow::extension},
            {u"s9"_s, ColumnType::Text, &DocumentRow::spareText1},
            {u"s10"_s, ColumnType::Text, &DocumentRow::reminderUser},
            {u"s11"_s, ColumnType::Text, &DocumentRow::reminderText},
            {u"s12"_s, ColumnType::Text, &DocumentRow::spareText2},
            {u"m1"_s, ColumnType::Text, &DocumentRow::text},
            {u"m2"_s, ColumnType::Text, &DocumentRow::spareText3},
            {u"m3"_s, ColumnType::Text, &DocumentRow::description},
            {u"g1"_s, ColumnType::Double, &DocumentRow::spareDouble1},
            {u"g2"_s, ColumnType::Double, &DocumentRow::spareDouble2},
            {u"g3"_s, ColumnType::Double, &DocumentRow::spareDouble3},
            {u"d1"_s, ColumnType::DateTime, &DocumentRow::cardDate},
            {u"d2"_s, ColumnType::DateTime, &DocumentRow::archivingDate},
            {u"d3"_s, ColumnType::DateTime, &DocumentRow::reminderTime},
            {u"b1"_s, ColumnType::Bool, &DocumentRow::reminderActive},
            {u"b2"_s, ColumnType::Bool, &DocumentRow::spareFlag1},
            {u"b3"_s, ColumnType::Bool, &DocumentRow::spareFlag2},
            {u"b4"_s, ColumnType::Bool, &DocumentRow::spareFlag3},
        },
    };
    return info;
}

QList<qint32> serialsOf(const QList<DocumentRow> &rows)
{
    QList<qint32> serials;
    serials.reserve(rows.size());
    for (const DocumentRow &row : rows)
        serials.append(row.serial);
    return serials;
}
