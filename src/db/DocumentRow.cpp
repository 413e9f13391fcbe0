#include "DocumentRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<DocumentRow> &DocumentRow::table()
{
    static const TableInfo<DocumentRow> info{
        u"FILESERVER"_s,
        DbFile::Archive,
        {
            {u"sn"_s, ColumnType::Key, &DocumentRow::sn},
            {u"n1"_s, ColumnType::Int32, &DocumentRow::n1},
            {u"n2"_s, ColumnType::Int32, &DocumentRow::n2},
            {u"n3"_s, ColumnType::Int32, &DocumentRow::n3},
            {u"n4"_s, ColumnType::Int32, &DocumentRow::n4},
            {u"n5"_s, ColumnType::Int32, &DocumentRow::n5},
            {u"n6"_s, ColumnType::Int64, &DocumentRow::n6},
            {u"n7"_s, ColumnType::Int32, &DocumentRow::n7},
            {u"n8"_s, ColumnType::Int32, &DocumentRow::n8},
            {u"n9"_s, ColumnType::Int32, &DocumentRow::n9},
            {u"n10"_s, ColumnType::Int32, &DocumentRow::n10},
            {u"s1"_s, ColumnType::Text, &DocumentRow::s1},
            {u"s2"_s, ColumnType::Text, &DocumentRow::s2},
            {u"s3"_s, ColumnType::Text, &DocumentRow::s3},
            {u"s4"_s, ColumnType::Text, &DocumentRow::s4},
            {u"s5"_s, ColumnType::Text, &DocumentRow::s5},
            {u"s6"_s, ColumnType::Text, &DocumentRow::s6},
            {u"s7"_s, ColumnType::Text, &DocumentRow::s7},
            {u"s8"_s, ColumnType::Text, &DocumentRow::s8},
            {u"s9"_s, ColumnType::Text, &DocumentRow::s9},
            {u"s10"_s, ColumnType::Text, &DocumentRow::s10},
            {u"s11"_s, ColumnType::Text, &DocumentRow::s11},
            {u"s12"_s, ColumnType::Text, &DocumentRow::s12},
            {u"m1"_s, ColumnType::Text, &DocumentRow::m1},
            {u"m2"_s, ColumnType::Text, &DocumentRow::m2},
            {u"m3"_s, ColumnType::Text, &DocumentRow::m3},
            {u"g1"_s, ColumnType::Double, &DocumentRow::g1},
            {u"g2"_s, ColumnType::Double, &DocumentRow::g2},
            {u"g3"_s, ColumnType::Double, &DocumentRow::g3},
            {u"d1"_s, ColumnType::DateTime, &DocumentRow::d1},
            {u"d2"_s, ColumnType::DateTime, &DocumentRow::d2},
            {u"d3"_s, ColumnType::DateTime, &DocumentRow::d3},
            {u"b1"_s, ColumnType::Bool, &DocumentRow::b1},
            {u"b2"_s, ColumnType::Bool, &DocumentRow::b2},
            {u"b3"_s, ColumnType::Bool, &DocumentRow::b3},
            {u"b4"_s, ColumnType::Bool, &DocumentRow::b4},
        },
    };
    return info;
}
