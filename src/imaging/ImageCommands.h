#pragma once

#include "base/Result.h"
#include "imaging/ImageProgress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <Magick++.h>

#include <optional>

// The image editor's commands that work on pixels (the filters, transforms, channel splits,
// colour changes, compositing and compression preview of the image menus) as one table and plain
// functions of (picture, values) -> picture. The image windows, their dialogs and
// `dovrelle-admin image` all run them through here, so a command behaves the same in a window and
// in batch work. Undo, redo, copy and duplicate belong to the document, not to this table.
namespace ImageCommands {

// Direct commands run on the thread that asks; worker commands are long and run on a worker
// thread of the image window, with progress and cancel.
enum class Work { Direct, Worker };

struct Param
{
    enum class Kind {
        Integer,
        Real,
        Choice,  // the value is the index into `choices`
        Flag,    // bool
        Colour,  // QColor
        Point,   // QPoint, picture coordinates
        Rect,    // QRect, picture coordinates ("X,Y,W,H" on the command line)
        Corners, // QPolygonF of four points, a turned rectangle
        Palette, // QList<QRgb>, QRgb with alpha
    };

    QString name; // as typed after "--" on the command line: "angle", "interpolation", "rect"
    Kind kind = Kind::Integer;
    QVariant defaultValue; // null: the default depends on the picture (see defaultFor)
    double minimum = 0;
    double maximum = 0;
    int decimals = 0;     // Real: the digits kept (an angle is kept to 0.001)
    QStringList choices;  // Choice: the texts of the dialog's list, in its order
    bool required = false; // no default at all: the crop's rectangle, the palette's entries
};

struct Command
{
    int id = 0;       // the menu command id: 32779 for "Rotate..."
    QString menuText; // as the image menu shows it: "Rotate...", "Gaussian 5x5", "Edge"
    QString name;     // the batch name: "rotate", "gaussian-5x5", "edge-nonlinear"
    Work work = Work::Worker;
    QList<Param> params;
    int sources = 0;            // further pictures it takes: mix 1, FFT 2, combine 4
    bool changesPicture = true; // false: the picture stays and the results open as new documents
};

// Every command, in the order of the image menus.
const QList<Command> &all();
const Command *find(int id);
const Command *find(const QString &name);

// Parameter values by name; a missing one takes its default.
using Values = QVariantMap;

// The default of a parameter for this picture: the table's default, or one worked out from the
// picture (the threshold level's is the picture's mean).
QVariant defaultFor(const Param &param, const Magick::Image &picture);

struct NewPicture
{
    QString name;         // the result's short title, the suffix of its batch file: "Red Channel"
    QString titlePattern; // the window title, %1 the image counter and %2 the source window's
                          // title: "Red Channel %1 from %2", "Jpeg compr. %1, q = 50, size = 18234"
    Magick::Image picture;
};

struct Outcome
{
    std::optional<Magick::Image> picture; // the changed picture, for commands that change it
    QList<NewPicture> newPictures;        // the results of the ones that make new documents
};

// Runs a command on a copy of the picture; the picture passed in is never changed. Values out of
// range or missing sources are refused; the library's failures come back with its error text. A
// run cancelled through `progress` fails with cancelledMessage() and yields nothing.
Result<Outcome> run(const Command &command, const Magick::Image &picture, const Values &values = {},
                    const QList<Magick::Image> &sources = {}, ImageProgress *progress = nullptr);

QString cancelledMessage();

// A parameter's value from its text on the command line: numbers, a choice by its position or
// its text ("Bilinear", or "bilinear"), a flag as 1/0/true/false/yes/no, a colour as #rrggbb or
// a colour name, a point as "X,Y", a rectangle as "X,Y,W,H", four corners as "X,Y;X,Y;X,Y;X,Y",
// a palette as colours joined by ",". Refuses text that does not fit the parameter.
Result<QVariant> valueFromText(const Param &param, const QString &text);
// How a value reads on the command line (the inverse of valueFromText); "" for none.
QString textOf(const Param &param, const QVariant &value);
// The values with every missing one given its default for this picture, each checked against
// its range; refused naming the first one that does not fit, or a name the command does not take.
Result<Values> resolve(const Command &command, const Magick::Image &picture, const Values &values);

} // namespace ImageCommands
