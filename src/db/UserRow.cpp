#include "UserRow.h"

using namespace Qt::Literals::StringLiterals;

const TableInfo<UserRow> &UserRow::table()
{
    static const TableInfo<UserRow> info{
        u"USERS"_s,
        DbFile::Users,
        {
            {u"رقم معرف"_s, ColumnType::Key, &UserRow::id},
            {u"sn"_s, ColumnType::Int32, &UserRow::serial},
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
            {u"ex1"_s, ColumnType::Int32, &UserRow::partyStage},
            {u"ex2"_s, ColumnType::Int32, &UserRow::printingStage},
            {u"ex3"_s, ColumnType::Int32, &UserRow::bindingStage},
            {u"ex4"_s, ColumnType::Int32, &UserRow::warehouseStage},
            {u"ex5"_s, ColumnType::Int32, &UserRow::newJob},
            {u"ex6"_s, ColumnType::Int32, &UserRow::editJob},
            {u"ex7"_s, ColumnType::Int32, &UserRow::finishJob},
            {u"ex8"_s, ColumnType::Int32, &UserRow::deleteJob},
            {u"s1"_s, ColumnType::Text, &UserRow::spareText1},
            {u"s2"_s, ColumnType::Text, &UserRow::spareText2},
            {u"s3"_s, ColumnType::Text, &UserRow::classAccess},
            {u"s4"_s, ColumnType::Text, &UserRow::spareText3},
            {u"d1"_s, ColumnType::DateTime, &UserRow::spareDate1},
            {u"d2"_s, ColumnType::DateTime, &UserRow::spareDate2},
        },
    };
    return info;
}
