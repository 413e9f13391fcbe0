#include "ClassRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<ClassRow> &ClassRow::table()
{
    static const TableInfo<ClassRow> info{
        u"Class"_s,
        DbFile::Classes,
        {
            {u"sn"_s, ColumnType::Key, &ClassRow::serial},
            {u"n1"_s, ColumnType::Int32, &ClassRow::spareNumber1},
            {u"n2"_s, ColumnType::Int32, &ClassRow::spareNumber2},
            {u"n3"_s, ColumnType::Int32, &ClassRow::spareNumber3},
            {u"n4"_s, ColumnType::Int32, &ClassRow::spareNumber4},
            {u"n5"_s, ColumnType::Int32, &ClassRow::code},
            {u"n6"_s, ColumnType::Text, &ClassRow::spareText1},
            {u"n7"_s, ColumnType::Text, &ClassRow::spareText2},
            {u"n8"_s, ColumnType::Text, &ClassRow::spareText3},
            {u"n9"_s, ColumnType::Text, &ClassRow::spareText4},
            {u"n10"_s, ColumnType::Text, &ClassRow::spareText5},
            {u"n11"_s, ColumnType::Text, &ClassRow::spareText6},
            {u"n12"_s, ColumnType::Text, &ClassRow::parentName},
            {u"n13"_s, ColumnType::Int32, &ClassRow::spareNumber5},
            {u"n14"_s, ColumnType::Int32, &ClassRow::parentCode},
            {u"n15"_s, ColumnType::Int32, &ClassRow::spareNumber6},
            {u"n16"_s, ColumnType::Int32, &ClassRow::spareNumber7},
            {u"n17"_s, ColumnType::Int32, &ClassRow::spareNumber8},
            {u"n18"_s, ColumnType::Int32, &ClassRow::spareNumber9},
            {u"n19"_s, ColumnType::Int32, &ClassRow::spareNumber10},
            {u"n20"_s, ColumnType::Int32, &ClassRow::spareNumber11},
            {u"s1"_s, ColumnType::Text, &ClassRow::codeText},
            {u"s2"_s, ColumnType::Text, &ClassRow::name},
            {u"s3"_s, ColumnType::Text, &ClassRow::notes},
            {u"s4"_s, ColumnType::Text, &ClassRow::serialText},
            {u"s5"_s, ColumnType::Text, &ClassRow::spareText7},
            {u"s6"_s, ColumnType::Text, &ClassRow::spareText8},
            {u"s7"_s, ColumnType::Text, &ClassRow::spareText9},
            {u"s8"_s, ColumnType::Text, &ClassRow::spareText10},
            {u"s9"_s, ColumnType::Text, &ClassRow::spareText11},
            {u"s10"_s, ColumnType::Text, &ClassRow::spareText12},
            {u"d1"_s, ColumnType::DateTime, &ClassRow::spareDate1},
            {u"d2"_s, ColumnType::DateTime, &ClassRow::spareDate2},
            {u"f1"_s, ColumnType::Double, &ClassRow::spareDouble1},
            {u"f2"_s, ColumnType::Double, &ClassRow::spareDouble2},
            {u"f3"_s, ColumnType::Double, &ClassRow::spareDouble3},
        },
    };
    return info;
}
