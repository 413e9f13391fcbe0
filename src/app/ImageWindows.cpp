#include "ImageWindows.h"

#include "CMainFrame.h"
#include "ImageCommandMenu.h"
#include "imaging/CHistogramBar.h"
#include "RecentFiles.h"
#include "base/Commands.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/ImageCommands.h"
#include "imaging/ImageTypes.h"
#include "imaging/ImageViewRules.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

namespace {

const char *const kViewCount = "dovrelleViews";

constexpr int kViewCommands[] = {Command::ZoomIn, Command::ZoomOut, Command::NormalSize, Command::ToolMove,
                                 Command::ToolSelect, Command::ToolZoom, Command::ToolTracker, Command::ToolText};

} // namespace

ImageWindows::ImageWindows(CMainFrame &frame, AppState &state, QSettings &profile)
    : QObject(&frame), m_frame(frame), m_state(state), m_profile(profile)
{
    ImageDocument::initialiseLibrary();
    auto active = [this](auto call) {
        return [this, call] {
            if (CDemoView *view = activeView())
                call(view);
        };
    };
    m_frame.setHandler(Command::FileOpen, [this] { openChosenFile(); });
    m_frame.setHandler(Command::FileSaveAs, [this] { saveAs(); });
    m_frame.setHandler(Command::Copy, [this] { copy(); });
    m_frame.setHandler(Command::Duplicate, [this] { duplicate(); });
    m_frame.setHandler(Command::CloseAllImages, [this] { closeAll(); });
    m_frame.setHandler(Command::PrintPreview, [this] { printPreview(); });
    // The histogram bar follows the active picture while it is shown.
    connect(m_frame.mdiArea(), &QMdiArea::subWindowActivated, this, &ImageWindows::refreshHistogram);
    connect(m_frame.histogramBar(), &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown)
            refreshHistogram();
    });
    m_frame.setHandler(Command::Undo, active([](CDemoView *v) { v->document()->undo(); }));
    m_frame.setHandler(Command::Redo, active([](CDemoView *v) { v->document()->redo(); }));
    m_frame.setHandler(Command::ZoomIn, active([](CDemoView *v) { v->zoomIn(); }));
    m_frame.setHandler(Command::ZoomOut, active([](CDemoView *v) { v->zoomOut(); }));
    m_frame.setHandler(Command::NormalSize, active([](CDemoView *v) { v->normalSize(); }));
    const std::pair<int, CDemoView::Tool> tools[] = {{Command::ToolMove, CDemoView::Move},
                                                     {Command::ToolSelect, CDemoView::Select},
                                                     {Command::ToolZoom, CDemoView::Zoom},
                                                     {Command::ToolTracker, CDemoView::Tracker},
                                                     {Command::ToolText, CDemoView::Text}};
    for (auto [id, tool] : tools) {
        m_frame.action(id)->setCheckable(true);
        m_frame.setHandler(id, active([tool](CDemoView *v) { v->setTool(tool); }));
    }
    m_frame.action(Command::ToolMove)->setText(u"Move"_s);
    m_frame.action(Command::ToolSelect)->setText(u"Select"_s);
    m_frame.action(Command::ToolZoom)->setText(u"Zoom"_s);
    m_frame.action(Command::ToolTracker)->setText(u"Tracker"_s);
    m_frame.action(Command::ToolText)->setText(u"Text"_s);
    m_frame.action(Command::NormalSize)->setText(u"Normal Viewing (1:1)"_s);
    m_frame.action(Command::Redo)->setText(u"Redo"_s);

    // The recent pictures come before Exit in the File menu.
    QMenu *file = m_frame.menuBar()->actions().constFirst()->menu();
    m_recentMenu = new QMenu(u"Recent Files"_s, file);
    file->insertMenu(m_frame.action(Command::Exit), m_recentMenu);
    file->insertSeparator(m_frame.action(Command::Exit));
    refreshRecentMenu();
    m_commands = new ImageCommandMenu(*this, m_frame, m_state);
    m_commands->build(m_frame.menuBar()->actions().at(3));
}

void ImageWindows::refreshRecentMenu()
{
    m_recentMenu->clear();
    const QStringList paths = RecentFiles(m_profile).entries();
    for (int i = 0; i < paths.size(); ++i) {
        QAction *a = m_recentMenu->addAction(u"&%1 %2"_s.arg(i + 1).arg(paths.at(i)));
        a->setData(Command::RecentFirst + i);
        const QString path = paths.at(i);
        connect(a, &QAction::triggered, this, [this, path] {
            if (!QFileInfo::exists(path)) {
                MessageBox::warning(&m_frame, tr("الملف %1 غير موجود، ويحذف من قائمة الملفات الأخيرة").arg(path));
                RecentFiles(m_profile).remove(path);
                refreshRecentMenu();
                return;
            }
            openFile(path);
        });
    }
    m_recentMenu->setEnabled(!paths.isEmpty());
}

void ImageWindows::openChosenFile()
{
    const QString path = FileDialog::openFile(&m_frame, u"Open image file"_s, ImageTypes::openFilters().join(u";;"_s));
    if (!path.isEmpty())
        openFile(path);
}

void ImageWindows::openFile(const QString &path)
{
    auto *doc = new CDemoDoc(this);
    const Status loaded = doc->open(path, 0);
    if (!loaded) {
        delete doc;
        MessageBox::warning(&m_frame, loaded.error());
        return;
    }
    const QString name = QFileInfo(path).fileName();
    doc->setTitle(name);
    doc->core().setJpegQuality(m_state.jpegQuality);
    // A page shown before its picture was read closes again when the read fails or is cancelled.
    connect(doc, &CDemoDoc::readFailed, this, [this, doc](const QString &error) {
        for (QMdiSubWindow *sub : m_frame.mdiArea()->subWindowList())
            if (auto *view = qobject_cast<CDemoView *>(sub->widget()); view && view->document() == doc)
                sub->close();
        if (!error.isEmpty())
            MessageBox::warning(&m_frame, error);
    });
    openDocument(doc);
    RecentFiles(m_profile).add(path);
    refreshRecentMenu();
    const Result<int> frames = ImageDocument::frameCount(path);
    if (!frames || *frames < 2)
        return;
    if (MessageBox::question(&m_frame, u"File with %1 images. Read all?"_s.arg(*frames), {},
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Information)
        != QMessageBox::Ok)
        return;
    for (int frame = 1; frame < *frames; ++frame) {
        auto *page = new CDemoDoc(this);
        if (const Status s = page->load(path, frame); !s) {
            delete page;
            MessageBox::warning(&m_frame, s.error());
            return;
        }
        page->setTitle(ImageViewRules::frameTitle(name, frame));
        openDocument(page);
    }
}

QMdiSubWindow *ImageWindows::openPicture(const QImage &picture, const QString &title)
{
    auto *doc = new CDemoDoc(this);
    doc->setTitle(title);
    if (!picture.isNull())
        doc->setPicture(ImageDocument::fromQImage(picture), ImageTypes::kBmp);
    return openDocument(doc);
}

QMdiSubWindow *ImageWindows::openDocument(CDemoDoc *doc)
{
    doc->core().setJpegQuality(m_state.jpegQuality);
    auto make = [this, doc]() -> QWidget * {
        auto *view = new CDemoView(doc);
        m_commands->connectView(view);
        connect(view, &CDemoView::statusText, this, &ImageWindows::setStatus);
        connect(view, &CDemoView::contextMenuWanted, this,
                [this, view](const QPoint &at) { showContextMenu(view, at); });
        connect(view, &CDemoView::escapeWithoutWork, this, [this] {
            if (m_frame.isFullScreenOn())
                m_frame.toggleFullScreen();
        });
        connect(doc, &CDemoDoc::titleChanged, view, [view](const QString &title) {
            if (auto *sub = qobject_cast<QMdiSubWindow *>(view->parentWidget()))
                sub->setWindowTitle(title);
        });
        connect(doc, &CDemoDoc::busyChanged, &m_frame, &CMainFrame::updateCommandStates);
        connect(doc, &CDemoDoc::changed, &m_frame, &CMainFrame::updateCommandStates);
        connect(doc, &CDemoDoc::changed, this, [this](int hint) {
            if (hint == CDemoDoc::kHintPicture)
                refreshHistogram();
        });
        connect(doc, &CDemoDoc::workFinished, this, [this](const QString &error) {
            if (!error.isEmpty())
                MessageBox::warning(&m_frame, error);
        });
        // The document goes with its last view.
        doc->setProperty(kViewCount, doc->property(kViewCount).toInt() + 1);
        connect(view, &QObject::destroyed, doc, [doc] {
            const int left = doc->property(kViewCount).toInt() - 1;
            doc->setProperty(kViewCount, left);
            if (left == 0)
                doc->deleteLater();
        });
        return view;
    };
    QMdiSubWindow *sub = m_frame.addChild(make(), doc->title(), false, make);
    if (auto *view = qobject_cast<CDemoView *>(sub->widget())) {
        view->fitWindow(m_frame.mdiArea()->viewport()->size());
        doc->changed(CDemoDoc::kHintPicture);
    }
    return sub;
}

CDemoView *ImageWindows::activeView() const
{
    QMdiSubWindow *sub = m_frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<CDemoView *>(sub->widget()) : nullptr;
}

QList<CDemoDoc *> ImageWindows::documents() const
{
    return findChildren<CDemoDoc *>(QString(), Qt::FindDirectChildrenOnly);
}

std::optional<bool> ImageWindows::rule(int command) const
{
    CDemoView *view = activeView();
    const bool image = view && view->document()->hasPicture();
    const bool ready = image && !view->document()->isBusy();
    switch (command) {
    case Command::FileOpen:
    case Command::CloseAllImages: return true;
    case Command::FileSave: return false;
    case Command::Cut: return view ? std::optional<bool>(false) : std::nullopt;
    case Command::FileSaveAs:
    case Command::Copy:
    case Command::Duplicate: return ready;
    case Command::Undo:
        m_frame.action(Command::Undo)->setText(ImageViewRules::undoText(ready ? view->document()->core().undoLevel() : 0));
        return ready && view->document()->core().canUndo();
    case Command::Redo: return ready && view->document()->core().canRedo();
    case Command::ZoomIn: return image && view->zoomInEnabled();
    case Command::ZoomOut: return image && view->zoomOutEnabled();
    case Command::NormalSize: return image && view->normalSizeEnabled();
    case Command::Print: return view ? std::optional<bool>(ready) : std::nullopt;
    case Command::PrintPreview: return ready;
    default: break;
    }
    for (int id : kViewCommands) {
        if (id == command) {
            if (view && command >= Command::ToolMove)
                m_frame.action(command)->setChecked(view->tool() == (command == Command::ToolMove     ? CDemoView::Move
                                                                     : command == Command::ToolSelect ? CDemoView::Select
                                                                     : command == Command::ToolZoom   ? CDemoView::Zoom
                                                                     : command == Command::ToolText   ? CDemoView::Text
                                                                                                      : CDemoView::Tracker));
            return image;
        }
    }
    return std::nullopt;
}

void ImageWindows::refreshHistogram()
{
    if (!m_frame.histogramBar()->isVisible())
        return;
    CDemoView *view = activeView();
    m_frame.histogram()->setImage(view ? view->document()->screenImage() : QImage());
}

void ImageWindows::setStatus(int pane, const QString &text)
{
    if (auto *label = m_frame.statusBar()->findChild<QLabel *>(u"pane%1"_s.arg(pane)))
        label->setText(text);
}

void ImageWindows::saveAs()
{
    CDemoView *view = activeView();
    if (!view || !view->document()->hasPicture() || view->document()->isBusy())
        return;
    CDemoDoc *doc = view->document();
    const int type = doc->core().type();
    QStringList filters = ImageTypes::saveFilters();
    // The picture's own type comes first, so the chooser starts on it.
    if (const ImageTypes::Type *own = ImageTypes::find(type); own && filters.removeOne(ImageTypes::filterEntry(*own)))
        filters.prepend(ImageTypes::filterEntry(*own));
    const QString path = FileDialog::saveFile(&m_frame, u"Save image file"_s, filters.join(u";;"_s),
                                              ImageViewRules::saveAsName(doc->path(), doc->title(),
                                                                         ImageTypes::defaultExtension(type)));
    if (path.isEmpty())
        return;
    if (ImageDocument::needsTrueColourGifWarning(doc->core().picture(), path))
        MessageBox::information(&m_frame, ImageDocument::trueColourGifWarning());
    if (const Status s = doc->saveAs(path); !s)
        MessageBox::warning(&m_frame, s.error());
    else
        view->document()->changed(CDemoDoc::kHintPicture);
}

void ImageWindows::copy()
{
    CDemoView *view = activeView();
    if (!view || !view->document()->hasPicture())
        return;
    QGuiApplication::clipboard()->setImage(view->document()->screenImage());
    if (!QGuiApplication::clipboard()->mimeData() || !QGuiApplication::clipboard()->mimeData()->hasImage())
        MessageBox::warning(&m_frame, u"Unable to set Clipboard data"_s);
}

void ImageWindows::duplicate()
{
    CDemoView *view = activeView();
    if (!view || !view->document()->hasPicture())
        return;
    CDemoDoc *source = view->document();
    auto *copy = new CDemoDoc(this);
    copy->setPicture(source->core().picture(), source->core().type());
    copy->setTitle(ImageViewRules::duplicateTitle(m_state.takeImageNumber(), source->title()));
    openDocument(copy);
}

void ImageWindows::closeAll()
{
    for (QMdiSubWindow *sub : m_frame.mdiArea()->subWindowList()) {
        if (qobject_cast<CDemoView *>(sub->widget()))
            sub->close();
    }
}

void ImageWindows::print()
{
    CDemoView *view = activeView();
    if (!view)
        return;
    QPrintDialog dialog(m_frame.printer(), &m_frame);
    if (dialog.exec() == QDialog::Accepted)
        view->print(m_frame.printer());
}

void ImageWindows::printPreview()
{
    CDemoView *view = activeView();
    if (!view)
        return;
    QPrintPreviewDialog preview(m_frame.printer(), &m_frame);
    connect(&preview, &QPrintPreviewDialog::paintRequested, view, [view](QPrinter *p) { view->print(p); });
    preview.exec();
}

void ImageWindows::handToCard()
{
    CDemoView *view = activeView();
    if (!view || !view->document()->hasPicture())
        return;
    const QString chosen = FileDialog::saveFile(&m_frame, {}, u"Webpage (*.jpg);;All Files (*)"_s);
    if (chosen.isEmpty())
        return;
    const QString path = chosen + u".jpg"_s;
    if (const Status s = view->document()->core().save(path); !s) {
        MessageBox::warning(&m_frame, s.error());
        return;
    }
    const QFileInfo saved(path);
    emit pictureSaved(saved.absolutePath() + u'/', saved.fileName(), saved.size());
}

void ImageWindows::showContextMenu(CDemoView *view, const QPoint &globalPos)
{
    m_frame.updateCommandStates();
    QMenu menu(view);
    menu.setLayoutDirection(Qt::LeftToRight);
    for (int id : {int(Command::Undo), int(Command::Redo), 0, int(Command::Copy), int(Command::FileSaveAs),
                   int(Command::Print), 0, int(Command::ZoomIn), int(Command::ZoomOut), int(Command::NormalSize)}) {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addAction(m_frame.action(id));
    }
    menu.addSeparator();
    QAction *hand = menu.addAction(u">>>>>"_s);
    hand->setData(kHandToCard);
    hand->setEnabled(view->document()->hasPicture() && !view->document()->isBusy());
    connect(hand, &QAction::triggered, this, &ImageWindows::handToCard);
    menu.exec(globalPos);
}
