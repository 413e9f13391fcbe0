#include "AdminContext.h"

#include "base/SettingsFiles.h"
#include "baskets/MemoStore.h"
#include "baskets/Transfer.h"
#include "db/CDFSet.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {

int feedSet(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption name(u"name"_s, u"The feed's name."_s, u"N"_s);
    const QCommandLineOption folder(u"folder"_s, u"The folder the feed writer fills."_s, u"F"_s);
    const QCommandLineOption type(u"type"_s, u"What the feed brings: files, images or text."_s, u"T"_s);
    parser.addOptions({name, folder, type});
    parser.addPositionalArgument(u"row"_s, u"The feed's row, 1 to 10."_s);
    const QString usageText = u"dovrelle-admin feed set ROW --name N --folder F --type files|images|text"_s;
    if (int code = 0; !context.parse(parser, args, usageText, code))
        return code;
    bool ok = false;
    const int row = parser.positionalArguments().value(0).toInt(&ok);
    const QStringList types{u"none"_s, u"files"_s, u"images"_s, u"text"_s};
    const qsizetype typeNumber = types.indexOf(parser.value(type));
    if (!ok || row < 1 || row > SettingsFiles::kFeedCount || typeNumber < 0)
        return context.fail(u"usage: "_s + usageText);
    const AppState &state = context.state();
    FeedList feeds = SettingsFiles::readFeeds(state.databaseFolder);
    FeedRecord &feed = feeds[size_t(row - 1)];
    feed.number = row;
    feed.name = parser.value(name);
    feed.folder = QDir(parser.value(folder)).absolutePath();
    feed.type = qint32(typeNumber);
    if (Status s = SettingsFiles::writeFeeds(state.databaseFolder, feeds); !s)
        return context.fail(s.error());
    return 0;
}

int memo(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption card(u"card"_s, u"The card of the item."_s, u"N"_s);
    const QCommandLineOption item(u"item"_s, u"The item's number on the card."_s, u"M"_s);
    const QCommandLineOption to(u"to"_s, u"The user the memo is for."_s, u"USER"_s);
    const QCommandLineOption text(u"text"_s, u"The memo."_s, u"T"_s);
    const QCommandLineOption date(u"date"_s, u"The reminder date (default today)."_s, u"YYYY-MM-DD"_s);
    parser.addOptions({card, item, to, text, date});
    const QString usageText = u"dovrelle-admin memo --card N --item M --to USER --text T [--date YYYY-MM-DD]"_s;
    if (int code = 0; !context.parse(parser, args, usageText, code))
        return code;
    const int cardNumber = parser.value(card).toInt();
    const int itemNumber = parser.value(item).toInt();
    const QDate day = parser.isSet(date) ? QDate::fromString(parser.value(date), Qt::ISODate) : QDate::currentDate();
    if (cardNumber <= 0 || itemNumber <= 0 || !parser.isSet(to) || !day.isValid())
        return context.fail(u"usage: "_s + usageText);
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<QList<DocumentRow>> rows = CDFSet(*db).cardRows(cardNumber);
    if (!rows)
        return context.fail(rows.error());
    for (const DocumentRow &row : *rows) {
        if (row.itemNumber != itemNumber)
            continue;
        Memo memo;
        memo.addressee = parser.value(to);
        memo.text = parser.value(text);
        memo.reminder = QDateTime(day, QTime(9, 0));
        memo.remind = true;
        if (Status s = MemoStore(*db).write(row.serial, memo); !s)
            return context.fail(s.error());
        context.out() << row.serial << Qt::endl;
        return 0;
    }
    return context.fail(u"no item %1 on card %2"_s.arg(itemNumber).arg(cardNumber));
}

int transfer(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption to(u"to"_s, u"The users who receive the file, by their login names."_s, u"U1,U2"_s);
    parser.addOptions({to});
    parser.addPositionalArgument(u"file"_s, u"The file sent."_s);
    const QString usageText = u"dovrelle-admin transfer FILE --to U1[,U2...]"_s;
    if (int code = 0; !context.parse(parser, args, usageText, code))
        return code;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1 || parser.value(to).isEmpty())
        return context.fail(u"usage: "_s + usageText);
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    QStringList receivers;
    for (const QString &login : parser.value(to).split(u',', Qt::SkipEmptyParts)) {
        const Result<QString> stored = storedUserName(*db, login);
        if (!stored)
            return context.fail(stored.error());
        receivers << *stored;
    }
    const QList<Delivery> deliveries = transferFile(context.state().databaseFolder, files.constFirst(), receivers);
    const QString report = undeliveredReport(deliveries);
    if (!report.isEmpty())
        return context.fail(report);
    for (const Delivery &d : deliveries)
        context.out() << d.target << Qt::endl;
    return 0;
}

} // namespace AdminCommands
