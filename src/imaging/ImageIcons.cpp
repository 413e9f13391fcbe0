#include "ImageIcons.h"

#include <QString>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Entry
{
    int id;
    const char16_t *themeName; // freedesktop name where the naming rules have one, ours otherwise
    const char16_t *file;      // under :/icons/image/, without ".svg"
};

// Commands that no icon theme names get a name of our own, which no theme has, so they always
// show our drawing.
constexpr std::array kEntries{
    // The image toolbar and the File, Edit, View and Window menus.
    Entry{32949, u"dovrelle-baskets", u"baskets"},
    Entry{57600, u"document-new", u"new"},
    Entry{57601, u"document-open", u"open"},
    Entry{57603, u"document-save", u"save"},
    Entry{57604, u"document-save-as", u"save-as"},
    Entry{57606, u"document-page-setup", u"print-setup"},
    Entry{57607, u"document-print", u"print"},
    Entry{57609, u"document-print-preview", u"print-preview"},
    Entry{32824, u"dovrelle-select-source", u"select-source"},
    Entry{32825, u"scanner", u"acquire"},
    Entry{32789, u"camera-photo", u"capture"},
    Entry{57665, u"application-exit", u"exit"},
    Entry{57635, u"edit-cut", u"cut"},
    Entry{57634, u"edit-copy", u"copy"},
    Entry{57637, u"edit-paste", u"paste"},
    Entry{57643, u"edit-undo", u"undo"},
    Entry{57644, u"edit-redo", u"redo"},
    Entry{32786, u"zoom-in", u"zoom-in"},
    Entry{32787, u"zoom-out", u"zoom-out"},
    Entry{32788, u"zoom-original", u"zoom-original"},
    Entry{32771, u"dovrelle-stretch", u"stretch"},
    Entry{32919, u"dovrelle-smooth", u"smooth"},
    Entry{32872, u"view-fullscreen", u"full-screen"},
    Entry{32876, u"dovrelle-histogram", u"histogram"},
    Entry{32869, u"dovrelle-tool-move", u"tool-move"},
    Entry{32871, u"dovrelle-tool-select", u"tool-select"},
    Entry{32916, u"dovrelle-tool-tracker", u"tool-tracker"},
    Entry{32874, u"dovrelle-tool-zoom", u"zoom-tool"},
    Entry{32886, u"insert-text", u"tool-text"},
    Entry{57664, u"help-about", u"about"},
    Entry{57648, u"window-new", u"window-new"},
    Entry{57649, u"dovrelle-arrange-icons", u"arrange-icons"},
    Entry{57650, u"dovrelle-cascade", u"cascade"},
    Entry{57651, u"dovrelle-tile-horizontal", u"tile-horizontal"},
    Entry{57652, u"dovrelle-tile-vertical", u"tile-vertical"},
    Entry{32791, u"dovrelle-close-all", u"close-all"},
    Entry{32776, u"dovrelle-duplicate", u"duplicate"},
    // The image commands.
    Entry{32774, u"object-flip-horizontal", u"mirror"},
    Entry{32775, u"object-flip-vertical", u"flip"},
    Entry{32777, u"dovrelle-negative", u"negative"},
    Entry{32778, u"dovrelle-gray-scale", u"gray-scale"},
    Entry{32855, u"object-rotate-left", u"rotate-left"},
    Entry{32856, u"object-rotate-right", u"rotate-right"},
    Entry{32779, u"dovrelle-rotate", u"rotate"},
    Entry{32794, u"dovrelle-resample", u"resample"},
    Entry{32848, u"dovrelle-crop", u"crop"},
    Entry{32792, u"dovrelle-set-transparency", u"set-transparency"},
    Entry{32793, u"dovrelle-remove-transparency", u"remove-transparency"},
    Entry{32798, u"dovrelle-dither", u"dither"},
    Entry{32799, u"dovrelle-threshold", u"threshold"},
    Entry{32808, u"dovrelle-colorize", u"colorize"},
    Entry{32863, u"dovrelle-gamma", u"gamma"},
    Entry{32809, u"dovrelle-lighten", u"lighten"},
    Entry{32810, u"dovrelle-darken", u"darken"},
    Entry{32811, u"dovrelle-more-contrast", u"more-contrast"},
    Entry{32900, u"dovrelle-less-contrast", u"less-contrast"},
    Entry{32813, u"dovrelle-blur", u"blur"},
    Entry{32814, u"dovrelle-soften", u"soften"},
    Entry{32896, u"dovrelle-gaussian-3x3", u"gaussian-3x3"},
    Entry{32897, u"dovrelle-gaussian-5x5", u"gaussian-5x5"},
    Entry{32815, u"dovrelle-sharpen", u"sharpen"},
    Entry{32816, u"dovrelle-edge", u"edge"},
    Entry{32812, u"dovrelle-emboss", u"emboss"},
    Entry{32865, u"dovrelle-add-noise", u"add-noise"},
    Entry{32864, u"dovrelle-median", u"median"},
    Entry{32817, u"dovrelle-erode", u"erode"},
    Entry{32818, u"dovrelle-dilate", u"dilate"},
    Entry{32898, u"dovrelle-contour", u"contour"},
    Entry{32914, u"dovrelle-edge-nonlinear", u"edge-nonlinear"},
    Entry{32901, u"dovrelle-jitter", u"jitter"},
    Entry{32904, u"dovrelle-pinch", u"pinch"},
    Entry{32905, u"dovrelle-punch", u"punch"},
    Entry{32906, u"dovrelle-twirl", u"twirl"},
    Entry{32907, u"dovrelle-cylinder", u"cylinder"},
    Entry{32909, u"dovrelle-bathroom", u"bathroom"},
    Entry{32803, u"dovrelle-pseudo-colors", u"pseudo-colors"},
    Entry{32800, u"dovrelle-split-rgb", u"split-rgb"},
    Entry{32802, u"dovrelle-split-hsl", u"split-hsl"},
    Entry{32801, u"dovrelle-split-yuv", u"split-yuv"},
    Entry{32881, u"dovrelle-split-yiq", u"split-yiq"},
    Entry{32882, u"dovrelle-split-xyz", u"split-xyz"},
    Entry{32887, u"dovrelle-split-cmyk", u"split-cmyk"},
    Entry{32879, u"dovrelle-combine", u"combine"},
    Entry{32880, u"dovrelle-fft", u"fft"},
    Entry{32883, u"dovrelle-repair", u"repair"},
    Entry{32903, u"dovrelle-mix", u"mix"},
    Entry{32918, u"dovrelle-jpeg-compression", u"jpeg-compression"},
    Entry{32877, u"dovrelle-palette", u"palette"},
};

const Entry *entryFor(int id)
{
    const auto it = std::find_if(kEntries.begin(), kEntries.end(), [id](const Entry &e) { return e.id == id; });
    return it == kEntries.end() ? nullptr : &*it;
}

} // namespace

// Outside every namespace, as the resource registration needs.
static void registerResources()
{
    // The drawings are compiled into the core library, which a program may use without the
    // application object that registers them otherwise.
    static const bool registered = [] {
        Q_INIT_RESOURCE(dovrelle);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace ImageIcons {

QIcon fallbackFor(int id)
{
    const Entry *e = entryFor(id);
    if (!e)
        return {};
    registerResources();
    return QIcon(u":/icons/image/"_s + QString::fromUtf16(e->file) + u".svg"_s);
}

QString themeNameFor(int id)
{
    const Entry *e = entryFor(id);
    return e ? QString::fromUtf16(e->themeName) : QString();
}

QIcon forCommand(int id)
{
    const Entry *e = entryFor(id);
    if (!e)
        return {};
    return QIcon::fromTheme(QString::fromUtf16(e->themeName), fallbackFor(id));
}

QList<int> commands()
{
    QList<int> ids;
    for (const Entry &e : kEntries)
        ids.append(e.id);
    return ids;
}

} // namespace ImageIcons
