#include "UserRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<UserRow> &UserRow::table()
{
    static const TableInfo<UserRow> info{
        u"USERS"_s,
        DbFile::Users,
        {
            {u"رقم معرف"_s, ColumnType::Key, &UserRow::id},
            {u"sn"_s, ColumnType::Int32, &UserRow::sn},
            {u"FilesBask"_s, ColumnType::Int32, &UserRow::FilesBask},
            {u"ScanneBask"_s, ColumnType::Int32, &UserRow::ScanneBask},
            {u"FaxBask"_s, ColumnType::Int32, &UserRow::FaxBask},
            {u"constant"_s, ColumnType::Int32, &UserRow::constant},
            {u"classes"_s, ColumnType::Int32, &UserRow::classes},
            {u"docser"_s, ColumnType::Int32, &UserRow::docser},
            {u"fileser"_s, ColumnType::Int32, &UserRow::fileser},
            {u"docnew"_s, ColumnType::Int32, &UserRow::docnew},
            {u"docadd"_s, ColumnType::Int32, &UserRow::docadd},
            {u"docdel"_s, ColumnType::Int32, &UserRow::docdel},
            {u"docmod"_s, ColumnType::Int32, &UserRow::docmod},
            {u"printjob"_s, ColumnType::Int32, &UserRow::printjob},
            {u"user"_s, ColumnType::Text, &UserRow::user},
            {u"password"_s, ColumnType::Text, &UserRow::password},
            {u"ex1"_s, ColumnType::Int32, &UserRow::ex1},
            {u"ex2"_s, ColumnType::Int32, &UserRow::ex2},
            {u"ex3"_s, ColumnType::Int32, &UserRow::ex3},
            {u"ex4"_s, ColumnType::Int32, &UserRow::ex4},
            {u"ex5"_s, ColumnType::Int32, &UserRow::ex5},
            {u"ex6"_s, ColumnType::Int32, &UserRow::ex6},
            {u"ex7"_s, ColumnType::Int32, &UserRow::ex7},
            {u"ex8"_s, ColumnType::Int32, &UserRow::ex8},
            {u"s1"_s, ColumnType::Text, &UserRow::s1},
            {u"s2"_s, ColumnType::Text, &UserRow::s2},
            {u"s3"_s, ColumnType::Text, &UserRow::s3},
            {u"s4"_s, ColumnType::Text, &UserRow::s4},
            {u"d1"_s, ColumnType::DateTime, &UserRow::d1},
            {u"d2"_s, ColumnType::DateTime, &UserRow::d2},
        },
    };
    return info;
}
