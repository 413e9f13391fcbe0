#include "ImageCommandMenu.h"

#include "CMainFrame.h"
#include "ImageWindows.h"
#include "Profile.h"
#include "base/AppState.h"
#include "base/Commands.h"
#include "imaging/CColorizeDlg.h"
#include "imaging/CCombineDlg.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/CDitherDlg.h"
#include "imaging/CFFTDlg.h"
#include "imaging/CGammaDlg.h"
#include "imaging/CJpegDlg.h"
#include "imaging/CMixDlg.h"
#include "imaging/CPaletteDlg.h"
#include "imaging/CRepairDlg.h"
#include "imaging/CResampleDlg.h"
#include "imaging/CRotateDlg.h"
#include "imaging/CTextDlg.h"
#include "imaging/CThresholdDlg.h"
#include "imaging/ImageCommandIds.h"
#include "imaging/ImageDrawing.h"
#include "imaging/ImageIcons.h"
#include "imaging/ImageParamNames.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

namespace Ids = ImageCommands::Ids;

// Which of the three menus a command sits in; the table's order is kept within each.
int menuOf(int id)
{
    switch (id) {
    case Ids::Negative:
    case Ids::GrayScale:
    case Ids::Dither:
    case Ids::Threshold:
    case Ids::Colorize:
    case Ids::Gamma:
    case Ids::Lighten:
    case Ids::Darken:
    case Ids::MoreContrast:
    case Ids::LessContrast:
    case Ids::PseudoColors:
    case Ids::SplitRgb:
    case Ids::SplitHsl:
    case Ids::SplitYuv:
    case Ids::SplitYiq:
    case Ids::SplitXyz:
    case Ids::SplitCmyk:
    case Ids::Palette: return 1;
    case Ids::Blur:
    case Ids::Soften:
    case Ids::Gaussian3:
    case Ids::Gaussian5:
    case Ids::Sharpen:
    case Ids::Edge:
    case Ids::Emboss:
    case Ids::AddNoise:
    case Ids::Median:
    case Ids::Erode:
    case Ids::Dilate:
    case Ids::Contour:
    case Ids::EdgeNonLinear:
    case Ids::Jitter:
    case Ids::Pinch:
    case Ids::Punch:
    case Ids::Twirl:
    case Ids::Cylinder:
    case Ids::Bathroom:
    case Ids::Repair: return 2;
    default: return 0;
    }
}

// Runs a dialog and hands back its values, or nothing when the user cancelled.
template <typename Dialog>
std::optional<ImageCommands::Values> accepted(Dialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

// The same for a dialog made for the purpose, its parent last.
template <typename Dialog, typename... Args>
std::optional<ImageCommands::Values> asked(Args &&...args)
{
    Dialog dialog(std::forward<Args>(args)...);
    return accepted(dialog);
}

} // namespace

ImageCommandMenu::ImageCommandMenu(ImageWindows &windows, CMainFrame &frame, AppState &state)
    : QObject(&windows), m_windows(windows), m_frame(frame), m_state(state)
{
    m_frame.setHandler(Command::ToolText, [this] { chooseTextTool(); });
}

void ImageCommandMenu::build(QAction *before)
{
    const QStringList titles{u"&Image"_s, u"&Colors"_s, u"F&ilters"_s};
    for (const QString &title : titles) {
        auto *menu = new QMenu(title, m_frame.menuBar());
        menu->setObjectName(u"imageMenu%1"_s.arg(m_menus.size()));
        m_frame.menuBar()->insertMenu(before, menu);
        connect(menu, &QMenu::aboutToShow, this, &ImageCommandMenu::updateStates);
        m_menus.append(menu);
    }
    for (const ImageCommands::Command &command : ImageCommands::all()) {
        QAction *a = m_menus[menuOf(command.id)]->addAction(ImageIcons::forCommand(command.id), command.menuText);
        a->setData(command.id);
        a->setStatusTip(command.menuText);
        a->setEnabled(false); // until a picture's menu opens
        const int id = command.id;
        connect(a, &QAction::triggered, this, [this, id] { trigger(id); });
    }
}

void ImageCommandMenu::updateStates()
{
    for (QMenu *menu : std::as_const(m_menus))
        for (QAction *a : menu->actions())
            if (!a->isSeparator())
                a->setEnabled(enabled(a->data().toInt()));
}

bool ImageCommandMenu::enabled(int id) const
{
    CDemoView *view = m_windows.activeView();
    if (!view || !view->document()->hasPicture() || view->document()->isBusy())
        return false;
    const Magick::Image &picture = view->document()->core().picture();
    switch (id) {
    case Ids::Crop: return view->selection().isValid();
    case Ids::RemoveTransparency: return picture.matte();
    case Ids::Palette: return picture.classType() == MagickCore::PseudoClass;
    default: return ImageCommands::find(id) != nullptr;
    }
}

void ImageCommandMenu::trigger(int id)
{
    const ImageCommands::Command *command = ImageCommands::find(id);
    CDemoView *view = m_windows.activeView();
    if (!command || !enabled(id))
        return;
    if (id == Ids::SetTransparency) {
        view->pickTransparencyOnNextClick();
        return;
    }
    if (std::optional<Request> request = ask(*command, view))
        run(*command, std::move(*request));
}

std::optional<ImageCommandMenu::Request> ImageCommandMenu::ask(const ImageCommands::Command &command, CDemoView *view)
{
    CDemoDoc *doc = view->document();
    const Magick::Image &picture = doc->core().picture();
    Request request{doc, {}, {}};
    const QList<CDemoDoc *> docs = m_windows.documents();
    QStringList titles;
    for (const CDemoDoc *d : docs)
        titles.append(d->title());
    const int current = int(docs.indexOf(doc));
    auto pictureOf = [&docs](int index) -> std::optional<Magick::Image> {
        if (index < 0 || index >= docs.size() || !docs[index]->hasPicture())
            return std::nullopt;
        return docs[index]->core().picture();
    };
    std::optional<ImageCommands::Values> values;
    auto takeSources = [&](const QList<int> &indexes) {
        for (int index : indexes)
            if (std::optional<Magick::Image> p = pictureOf(index))
                request.sources.append(*p);
    };
    switch (command.id) {
    case Ids::Rotate: values = asked<CRotateDlg>(&m_frame); break;
    case Ids::Resample:
        values = asked<CResampleDlg>(QSize(int(picture.columns()), int(picture.rows())), &m_frame);
        break;
    case Ids::Crop: {
        ImageCommands::Values crop{{u"rect"_s, view->selection()}};
        if (!view->corners().isEmpty())
            crop.insert(u"corners"_s, view->corners());
        return Request{doc, crop, {}};
    }
    case Ids::Dither: values = asked<CDitherDlg>(&m_frame); break;
    case Ids::Threshold:
        values = asked<CThresholdDlg>(ImageCommands::defaultFor(command.params.constFirst(), picture).toInt(), &m_frame);
        break;
    case Ids::Colorize: values = asked<CColorizeDlg>(&m_frame); break;
    case Ids::Gamma: values = asked<CGammaDlg>(&m_frame); break;
    case Ids::Repair: values = asked<CRepairDlg>(&m_frame); break;
    case Ids::JpegCompression: values = asked<CJpegDlg>(&m_frame); break;
    case Ids::Palette: {
        CPaletteDlg dialog(ImageDrawing::paletteOf(picture), &m_frame);
        if (dialog.exec() != QDialog::Accepted || !dialog.changed())
            return std::nullopt;
        values = dialog.values();
        break;
    }
    case Ids::Combine: {
        CCombineDlg dialog(titles, current, &m_frame);
        values = accepted(dialog);
        takeSources(dialog.sources());
        break;
    }
    case Ids::Fft: {
        CFFTDlg dialog(titles, current, &m_frame);
        values = accepted(dialog);
        takeSources(dialog.sources());
        break;
    }
    case Ids::Mix: {
        // The preview mixes copies whose source is at most kPreviewSide on its longer side.
        auto preview = [&pictureOf](int dst, int src, const ImageCommands::Values &v) -> QImage {
            std::optional<Magick::Image> d = pictureOf(dst);
            std::optional<Magick::Image> s = pictureOf(src);
            if (!d || !s)
                return {};
            const double longer = double(std::max(s->columns(), s->rows()));
            const double scale = std::min(1.0, CMixDlg::kPreviewSide / longer);
            for (Magick::Image *p : {&*d, &*s})
                p->resize(Magick::Geometry(std::max<size_t>(1, size_t(double(p->columns()) * scale)),
                                           std::max<size_t>(1, size_t(double(p->rows()) * scale))));
            Result<ImageCommands::Outcome> out = ImageCommands::run(*ImageCommands::find(Ids::Mix), *d, v, {*s});
            if (!out || out->newPictures.isEmpty())
                return {};
            return ImageDocument::toQImage(out->newPictures.constFirst().picture);
        };
        CMixDlg dialog(titles, preview, &m_frame);
        values = accepted(dialog);
        std::optional<Magick::Image> src = pictureOf(dialog.source());
        if (values && src && dialog.destination() >= 0 && dialog.destination() < docs.size()) {
            request.target = docs[dialog.destination()];
            request.sources.append(*src);
        }
        break;
    }
    default: values = ImageCommands::Values{}; break;
    }
    if (!values)
        return std::nullopt;
    request.values = *values;
    return request;
}

void ImageCommandMenu::run(const ImageCommands::Command &command, Request request)
{
    CDemoDoc *doc = request.target;
    if (!doc || !doc->hasPicture())
        return;
    if (command.work == ImageCommands::Work::Worker && command.changesPicture) {
        const ImageCommands::Values values = request.values;
        doc->runOnWorker(command.menuText,
                         [command, values](const Magick::Image &picture, ImageProgress &progress) -> Result<Magick::Image> {
                             Result<ImageCommands::Outcome> out =
                                 ImageCommands::run(command, picture, values, {}, &progress);
                             if (!out)
                                 return Result<Magick::Image>::failure(out.kind(), out.error());
                             if (!out->picture)
                                 return Result<Magick::Image>::refused(tr("الأمر لم يغير الصورة"));
                             return *out->picture;
                         });
        return;
    }
    const Result<ImageCommands::Outcome> out =
        ImageCommands::run(command, doc->core().picture(), request.values, request.sources);
    if (!out) {
        MessageBox::warning(&m_frame, out.error());
        return;
    }
    if (out->picture)
        doc->change(*out->picture);
    openResults(*out, doc);
}

void ImageCommandMenu::openResults(const ImageCommands::Outcome &outcome, CDemoDoc *from)
{
    for (const ImageCommands::NewPicture &made : outcome.newPictures) {
        auto *copy = new CDemoDoc(&m_windows);
        copy->setPicture(made.picture, from->core().type());
        QString title = made.titlePattern.arg(m_state.takeImageNumber());
        if (title.contains(u"%2"))
            title = title.arg(from->title());
        copy->setTitle(title);
        m_windows.openDocument(copy);
    }
}

void ImageCommandMenu::connectView(CDemoView *view)
{
    connect(view, &CDemoView::textPlaced, this, [this, view](QPoint at) { placeText(view, at); });
    connect(view, &CDemoView::transparencyPicked, this, [this, view](QPoint at) { pickTransparency(view, at); });
}

void ImageCommandMenu::chooseTextTool()
{
    CDemoView *view = m_windows.activeView();
    if (!view)
        return;
    CTextDlg dialog(m_state.textTool, m_text, &m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_state.textTool = dialog.settings();
    m_text = dialog.text();
    Profile(m_windows.profile()).setTextTool(m_state.textTool);
    view->setTool(CDemoView::Text);
}

void ImageCommandMenu::placeText(CDemoView *view, QPoint at)
{
    CDemoDoc *doc = view->document();
    if (!doc->hasPicture() || doc->isBusy() || m_text.isEmpty())
        return;
    doc->change(ImageDrawing::placeText(doc->core().picture(), at, m_text, m_state.textTool));
}

void ImageCommandMenu::pickTransparency(CDemoView *view, QPoint at)
{
    CDemoDoc *doc = view->document();
    if (!doc->hasPicture() || doc->isBusy())
        return;
    run(*ImageCommands::find(Ids::SetTransparency), Request{doc, {{u"point"_s, at}}, {}});
}
