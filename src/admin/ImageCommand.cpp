#include "AdminContext.h"

#include "imaging/ImageCommands.h"
#include "imaging/ImageDocument.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

using namespace Qt::Literals::StringLiterals;

// dovrelle-admin image: the image editor's pixel commands on files, through the same core
// functions the image windows run.
namespace AdminCommands {
namespace {

// The file's first frame; warnings of the library do not stop a picture that was read.
Result<Magick::Image> readPicture(const QString &path)
{
    Magick::Image picture;
    try {
        picture.quiet(true);
        picture.read(QFileInfo(path).absoluteFilePath().toStdString());
    } catch (const Magick::Warning &) {
        if (!picture.isValid() || picture.columns() == 0)
            return Result<Magick::Image>::failure(u"cannot read the picture '%1'"_s.arg(path));
    } catch (const Magick::Exception &e) {
        return Result<Magick::Image>::failure(u"cannot read the picture '%1': %2"_s.arg(path, QString::fromLocal8Bit(e.what())));
    }
    if (!picture.isValid() || picture.columns() == 0)
        return Result<Magick::Image>::failure(u"cannot read the picture '%1'"_s.arg(path));
    return picture;
}

Status writePicture(Magick::Image picture, const QString &path)
{
    try {
        picture.write(path.toStdString());
    } catch (const Magick::Warning &) {
    } catch (const Magick::Exception &e) {
        return Status::failure(u"cannot write '%1': %2"_s.arg(path, QString::fromLocal8Bit(e.what())));
    }
    return {};
}

QString kindText(ImageCommands::Param::Kind kind)
{
    using Kind = ImageCommands::Param::Kind;
    switch (kind) {
    case Kind::Integer: return u"integer"_s;
    case Kind::Real: return u"number"_s;
    case Kind::Choice: return u"choice"_s;
    case Kind::Flag: return u"flag"_s;
    case Kind::Colour: return u"colour"_s;
    case Kind::Point: return u"X,Y"_s;
    case Kind::Rect: return u"X,Y,W,H"_s;
    case Kind::Corners: return u"X,Y;X,Y;X,Y;X,Y"_s;
    case Kind::Palette: return u"colour,colour,..."_s;
    }
    return {};
}

int list(AdminContext &context)
{
    QTextStream &out = context.out();
    for (const ImageCommands::Command &c : ImageCommands::all()) {
        out << c.name << "\t" << c.menuText << "\t" << (c.work == ImageCommands::Work::Worker ? "worker" : "direct");
        if (c.sources > 0)
            out << "\t--src FILE (" << c.sources << ")";
        out << "\n";
        for (const ImageCommands::Param &p : c.params) {
            out << "    --" << p.name << " " << kindText(p.kind);
            if (p.kind == ImageCommands::Param::Kind::Integer || p.kind == ImageCommands::Param::Kind::Real)
                out << " " << p.minimum << ".." << p.maximum;
            if (p.required)
                out << ", required";
            else if (p.defaultValue.isNull())
                out << (p.kind == ImageCommands::Param::Kind::Colour ? ", default none" : ", default from the picture");
            else
                out << ", default " << ImageCommands::textOf(p, p.defaultValue);
            if (!p.choices.isEmpty())
                out << " [" << p.choices.join(u" | "_s) << "]";
            out << "\n";
        }
    }
    out.flush();
    return 0;
}

int bitsPerPixel(const Magick::Image &picture)
{
    switch (picture.type()) {
    case MagickCore::BilevelType: return 1;
    case MagickCore::GrayscaleType:
    case MagickCore::PaletteType: return 8;
    case MagickCore::GrayscaleMatteType:
    case MagickCore::PaletteMatteType:
    case MagickCore::TrueColorMatteType:
    case MagickCore::ColorSeparationMatteType: return 32;
    default: return 24;
    }
}

int info(AdminContext &context, const QString &path)
{
    std::vector<Magick::Image> frames;
    try {
        Magick::readImages(&frames, QFileInfo(path).absoluteFilePath().toStdString());
    } catch (const Magick::Warning &) {
    } catch (const Magick::Exception &e) {
        return context.fail(u"cannot read the picture '%1': %2"_s.arg(path, QString::fromLocal8Bit(e.what())));
    }
    if (frames.empty() || !frames.front().isValid())
        return context.fail(u"cannot read the picture '%1'"_s.arg(path));
    const Magick::Image &first = frames.front();
    context.out() << QString::fromStdString(first.magick()) << "\t" << first.columns() << "\t" << first.rows() << "\t"
                  << bitsPerPixel(first) << "\t" << frames.size() << "\n";
    context.out().flush();
    return 0;
}

QString resultPath(const QString &out, const QString &name)
{
    const QFileInfo file(out);
    const QString suffix = file.suffix().isEmpty() ? QString() : u"."_s + file.suffix();
    QString tail = name.toLower().remove(u'.');
    tail = tail.trimmed().replace(u' ', u'-');
    const QString base = file.completeBaseName() + u"-"_s + tail + suffix;
    return file.path() == u"." ? base : file.dir().filePath(base);
}

} // namespace

int image(AdminContext &context, const QStringList &args)
{
    const QString usage = u"usage: dovrelle-admin image COMMAND IN OUT [--PARAM VALUE]... [--src FILE]...\n"
                          u"       dovrelle-admin image --list\n"
                          u"       dovrelle-admin image info FILE"_s;
    const QStringList rest = args.mid(1);
    ImageDocument::initialiseLibrary();
    if (rest.size() == 1 && rest[0] == u"--list")
        return list(context);
    if (rest.size() == 2 && rest[0] == u"info")
        return info(context, rest[1]);
    if (rest.isEmpty() || rest[0] == u"--help") {
        context.out() << usage << "\n";
        context.out().flush();
        return rest.isEmpty() ? 2 : 0;
    }
    const ImageCommands::Command *command = ImageCommands::find(rest[0]);
    if (!command)
        return context.fail(u"unknown image command '%1' (dovrelle-admin image --list names them)"_s.arg(rest[0]));
    if (rest.size() < 3 || rest[1].startsWith(u"--") || rest[2].startsWith(u"--"))
        return context.fail(u"image %1 needs IN and OUT files"_s.arg(command->name));
    const QString in = rest[1];
    const QString out = rest[2];

    ImageCommands::Values values;
    QStringList sourceFiles;
    for (qsizetype i = 3; i < rest.size(); i += 2) {
        const QString option = rest[i];
        if (!option.startsWith(u"--") || i + 1 >= rest.size())
            return context.fail(u"expected --PARAM VALUE, not '%1'"_s.arg(option));
        const QString name = option.mid(2);
        const QString text = rest[i + 1];
        if (name == u"src") {
            sourceFiles << text;
            continue;
        }
        const auto param = std::find_if(command->params.cbegin(), command->params.cend(),
                                        [&](const ImageCommands::Param &p) { return p.name == name; });
        if (param == command->params.cend())
            return context.fail(u"image %1 takes no parameter --%2"_s.arg(command->name, name));
        const Result<QVariant> value = ImageCommands::valueFromText(*param, text);
        if (!value)
            return context.fail(value.error());
        values.insert(name, *value);
    }

    const Result<Magick::Image> picture = readPicture(in);
    if (!picture)
        return context.fail(picture.error());
    QList<Magick::Image> sources;
    for (const QString &file : sourceFiles) {
        const Result<Magick::Image> source = readPicture(file);
        if (!source)
            return context.fail(source.error());
        sources << *source;
    }
    const Result<ImageCommands::Outcome> outcome = ImageCommands::run(*command, *picture, values, sources);
    if (!outcome)
        return context.fail(outcome.error());

    QStringList written;
    if (outcome->picture) {
        if (const Status s = writePicture(*outcome->picture, out); !s)
            return context.fail(s.error());
        written << out;
    }
    const bool several = outcome->newPictures.size() > 1;
    for (const ImageCommands::NewPicture &result : outcome->newPictures) {
        const QString path = several ? resultPath(out, result.name) : out;
        if (const Status s = writePicture(result.picture, path); !s)
            return context.fail(s.error());
        written << path;
    }
    for (const QString &path : written)
        context.out() << path << "\n";
    context.out().flush();
    return 0;
}

} // namespace AdminCommands
