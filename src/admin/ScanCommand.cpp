#include "AdminContext.h"

#include "base/SystemError.h"

#include "scan/CTwain.h"

#include <QDir>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {
namespace {

// Every page goes to DIR/page-N.png as it arrives, and its line to the output.
class FileScanner : public CTwain
{
public:
    FileScanner(QDir folder, QTextStream &out) : m_folder(std::move(folder)), m_out(out) {}

    const QString &problem() const { return m_problem; }

protected:
    void TakeImage(const QImage &image, const ScanPageInfo &info) override
    {
        const QString path = m_folder.filePath(u"page-%1.png"_s.arg(++m_written));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !commitWhole(file)) {
            m_problem = u"page %1 could not be written to %2"_s.arg(info.page).arg(path);
            cancel();
            return;
        }
        m_out << path << '\t' << image.width() << '\t' << image.height() << '\t' << info.bitsPerPixel() << '\n';
        m_out.flush();
    }

private:
    QDir m_folder;
    QTextStream &m_out;
    int m_written = 0;
    QString m_problem;
};

} // namespace

// Scanning from the command line, through the same client as the window's Acquire: for batches
// and for trying a device without the program.
int scan(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption list(u"list"_s, u"List the scanners and end."_s);
    const QCommandLineOption device(u"device"_s, u"The scanner (default: the first listed)."_s, u"NAME"_s);
    const QCommandLineOption source(u"source"_s, u"flatbed or feeder."_s, u"SOURCE"_s);
    const QCommandLineOption mode(u"mode"_s, u"gray, color or lineart."_s, u"MODE"_s);
    const QCommandLineOption resolution(u"resolution"_s, u"Dots per inch."_s, u"DPI"_s);
    const QCommandLineOption out(u"out"_s, u"The folder the pages are written to."_s, u"DIR"_s);
    parser.addOptions({list, device, source, mode, resolution, out});
    if (int code = 0; !context.parse(parser, args,
                                     u"dovrelle-admin scan [--device NAME] [--source flatbed|feeder] "
                                     u"[--mode gray|color|lineart] [--resolution DPI] --out DIR | scan --list"_s,
                                     code))
        return code;

    QDir folder;
    if (!parser.isSet(list)) {
        if (parser.value(out).isEmpty())
            return context.fail(u"scan needs --out DIR"_s);
        folder = QDir(parser.value(out));
        if (!folder.exists() && !QDir().mkpath(folder.path()))
            return context.fail(u"the folder '%1' cannot be made"_s.arg(folder.path()));
    }
    FileScanner scanner(folder, context.out());
    if (!scanner.Initialise())
        return context.fail(scanner.unavailableNote());
    if (parser.isSet(list)) {
        const auto devices = scanner.devices();
        if (!devices)
            return context.fail(devices.error());
        for (const ScanDevice &d : *devices)
            context.out() << d.name << '\t' << d.vendor << '\t' << d.model << '\t' << d.type << '\n';
        return 0;
    }

    if (Status s = scanner.OpenDataSource(parser.value(device)); !s.ok())
        return context.fail(s.error());
    if (parser.isSet(source)) {
        const QString wanted = parser.value(source);
        if (wanted != u"flatbed"_s && wanted != u"feeder"_s)
            return context.fail(u"--source is flatbed or feeder, not '%1'"_s.arg(wanted));
        const QString value = scanner.options().sourceValue(wanted == u"feeder"_s);
        if (value.isEmpty())
            return context.fail(u"%1 has no %2"_s.arg(scanner.source(), wanted));
        if (Status s = scanner.setOption(u"source"_s, value); !s.ok())
            return context.fail(s.error());
    }
    if (parser.isSet(mode)) {
        const QString wanted = parser.value(mode);
        if (wanted != u"gray"_s && wanted != u"color"_s && wanted != u"lineart"_s)
            return context.fail(u"--mode is gray, color or lineart, not '%1'"_s.arg(wanted));
        QString value = scanner.options().modeValue(wanted);
        bool oneBit = false;
        if (value.isEmpty() && wanted == u"lineart"_s) {
            // A device without a line-art mode may still give grey at one bit per sample.
            value = scanner.options().modeValue(u"gray"_s);
            const ScanOption *depth = scanner.options().find(u"depth"_s);
            oneBit = depth && depth->numbers.contains(1.0);
            if (!oneBit)
                value.clear();
        }
        if (value.isEmpty())
            return context.fail(u"%1 has no %2 mode"_s.arg(scanner.source(), wanted));
        if (Status s = scanner.setOption(u"mode"_s, value); !s.ok())
            return context.fail(s.error());
        if (oneBit) {
            if (Status s = scanner.setOption(u"depth"_s, 1); !s.ok())
                return context.fail(s.error());
        }
    }
    if (parser.isSet(resolution)) {
        bool ok = false;
        const double dpi = parser.value(resolution).toDouble(&ok);
        if (!ok || dpi <= 0)
            return context.fail(u"--resolution takes dots per inch, not '%1'"_s.arg(parser.value(resolution)));
        if (Status s = scanner.setOption(u"resolution"_s, dpi); !s.ok())
            return context.fail(s.error());
    }

    const ScanOutcome outcome = scanner.Acquire();
    if (!scanner.problem().isEmpty())
        return context.fail(scanner.problem());
    if (outcome.end == ScanOutcome::End::Failed)
        return context.fail(outcome.message);
    if (outcome.pages == 0)
        return context.fail(u"no page was scanned"_s);
    return 0;
}

} // namespace AdminCommands
