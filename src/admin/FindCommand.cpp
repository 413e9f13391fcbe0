#include "AdminContext.h"

#include "search/FolderSearch.h"
#include "search/FoundFilesModel.h"

#include <QFileInfo>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {

// The search of the computer's window from the command line: the same engine and the same texts
// as its result list, one tab-separated line per entry found.
int find(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption name(u"name"_s, u"A part of the name, in any letter case."_s, u"FRAG"_s);
    const QCommandLineOption minKb(u"min-kb"_s, u"At least this many kilobytes."_s, u"N"_s);
    const QCommandLineOption maxKb(u"max-kb"_s, u"At most this many kilobytes."_s, u"N"_s);
    const QCommandLineOption text(u"text"_s, u"A text the file must contain."_s, u"T"_s);
    const QCommandLineOption noRecurse(u"no-recurse"_s, u"Leave the sub-folders out."_s);
    parser.addOptions({name, minKb, maxKb, text, noRecurse});
    parser.addPositionalArgument(u"DIR"_s, u"The folder to search."_s);
    if (int code = 0; !context.parse(parser, args,
                                     u"dovrelle-admin find DIR [--name FRAG] [--min-kb N] [--max-kb N] [--text T] [--no-recurse]"_s,
                                     code))
        return code;
    if (parser.positionalArguments().size() != 1)
        return context.fail(u"find takes one folder"_s);

    FolderSearchOptions options;
    options.folder = parser.positionalArguments().constFirst();
    if (!QFileInfo(options.folder).isDir())
        return context.fail(u"no folder '%1'"_s.arg(options.folder));
    options.fileMask = u"*%1*"_s.arg(parser.value(name));
    options.recursive = !parser.isSet(noRecurse);
    options.filters = FolderSearchOptions::AttributeFilter;
    if (parser.isSet(minKb) || parser.isSet(maxKb)) {
        options.filters |= FolderSearchOptions::SizeFilter;
        for (const auto &[option, bound] : {std::pair{&minKb, &options.minSize}, std::pair{&maxKb, &options.maxSize}}) {
            if (!parser.isSet(*option))
                continue;
            bool ok = false;
            const qint64 kb = parser.value(*option).toLongLong(&ok);
            if (!ok || kb < 0 || kb > std::numeric_limits<qint64>::max() / 1024)
                return context.fail(u"--%1 takes a number of kilobytes, not '%2'"_s.arg(option->names().constFirst(),
                                                                                         parser.value(*option)));
            *bound = kb * 1024;
        }
    }
    if (!parser.value(text).isEmpty()) {
        options.filters |= FolderSearchOptions::TextFilter;
        options.text = parser.value(text);
    }

    FolderSearch search;
    search.run(options);
    QTextStream &out = context.out();
    for (const FoundFile &f : search.results()) {
        out << f.name << '\t' << f.folder << '\t' << FoundFilesModel::text(f, FoundFilesModel::SizeColumn) << '\t'
            << FoundFilesModel::text(f, FoundFilesModel::ModifiedColumn) << '\n';
    }
    return 0;
}

} // namespace AdminCommands
