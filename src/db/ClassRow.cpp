#include "ClassRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<ClassRow> &ClassRow::table()
{
    static const TableInfo<ClassRow> info{
        u"Class"_s,
        DbFile::Classes,
        {
            {u"sn"_s, ColumnType::Key, &ClassRow::sn},
            {u"n1"_s, ColumnType::Int32, &ClassRow::n1},
            {u"n2"_s, ColumnType::Int32, &ClassRow::n2},
            {u"n3"_s, ColumnType::Int32, &ClassRow::n3},
            {u"n4"_s, ColumnType::Int32, &ClassRow::n4},
            {u"n5"_s, ColumnType::Int32, &ClassRow::n5},
            {u"n6"_s, ColumnType::Text, &ClassRow::n6},
            {u"n7"_s, ColumnType::Text, &ClassRow::n7},
            {u"n8"_s, ColumnType::Text, &ClassRow::n8},
            {u"n9"_s, ColumnType::Text, &ClassRow::n9},
            {u"n10"_s, ColumnType::Text, &ClassRow::n10},
            {u"n11"_s, ColumnType::Text, &ClassRow::n11},
            {u"n12"_s, ColumnType::Text, &ClassRow::n12},
            {u"n13"_s, ColumnType::Int32, &ClassRow::n13},
            {u"n14"_s, ColumnType::Int32, &ClassRow::n14},
            {u"n15"_s, ColumnType::Int32, &ClassRow::n15},
            {u"n16"_s, ColumnType::Int32, &ClassRow::n16},
            {u"n17"_s, ColumnType::Int32, &ClassRow::n17},
            {u"n18"_s, ColumnType::Int32, &ClassRow::n18},
            {u"n19"_s, ColumnType::Int32, &ClassRow::n19},
            {u"n20"_s, ColumnType::Int32, &ClassRow::n20},
            {u"s1"_s, ColumnType::Text, &ClassRow::s1},
            {u"s2"_s, ColumnType::Text, &ClassRow::s2},
            {u"s3"_s, ColumnType::Text, &ClassRow::s3},
            {u"s4"_s, ColumnType::Text, &ClassRow::s4},
            {u"s5"_s, ColumnType::Text, &ClassRow::s5},
            {u"s6"_s, ColumnType::Text, &ClassRow::s6},
            {u"s7"_s, ColumnType::Text, &ClassRow::s7},
            {u"s8"_s, ColumnType::Text, &ClassRow::s8},
            {u"s9"_s, ColumnType::Text, &ClassRow::s9},
            {u"s10"_s, ColumnType::Text, &ClassRow::s10},
            {u"d1"_s, ColumnType::DateTime, &ClassRow::d1},
            {u"d2"_s, ColumnType::DateTime, &ClassRow::d2},
            {u"f1"_s, ColumnType::Double, &ClassRow::f1},
            {u"f2"_s, ColumnType::Double, &ClassRow::f2},
            {u"f3"_s, ColumnType::Double, &ClassRow::f3},
        },
    };
    return info;
}
