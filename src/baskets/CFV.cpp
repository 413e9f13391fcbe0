#include "CFV.h"

#include "base/FileKinds.h"
#include "base/Palette.h"
#include "DescriptionReader.h"
#include "base/HandOffFolder.h"
#include "imaging/Thumbnail.h"
#include "search/Printing.h"
#include "search/ReportCopy.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {


constexpr int kViewerPictureRowHeight = 147;
constexpr int kTextRowHeight = 110;
constexpr int kPictureColumnWidths[] = {160, 35, 270, 0, 0, 0};
// Until the first layout; afterwards they follow the width (see layoutChildren).
constexpr int kTextColumnWidths[] = {30, 110, 0, 510};

enum PictureColumn { PicturePath = 0, PictureNumber = 1, PictureDescription = 2 };
enum TextColumn { TextName = 1, TextBody = 3 };

constexpr int kGridTop = 30;
// The picture grid's width when the window opens; it then fills the window, and the description
// column takes what the thumbnail and number columns leave.
constexpr int kPictureGridRight = 450;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kTextWidthUnits = 25;
// The blanks between a text's file name and the feed's name in the keywords of an archived text.
constexpr int kKeywordGap = 12;


} // namespace

CFV::CFV(AppState &state, const BasketSource &source, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_kind(source.kind)
    , m_title(source.title)
    , m_feed(source.folder, source.indexFile)
    , m_loader(new FeedPageLoader(m_feed, this))
{
    setWindowTitle(m_title);
    setAttribute(Qt::WA_DeleteOnClose);

    createGrids();
    createButtons();

    m_pictureTimer = new QTimer(this);
    m_pictureTimer->setObjectName(u"timer101"_s);
    m_pictureTimer->setInterval(kLiveUpdateMs);
    connect(m_pictureTimer, &QTimer::timeout, this, &CFV::pictureLiveUpdate);
    m_textTimer = new QTimer(this);
    m_textTimer->setObjectName(u"timer103"_s);
    m_textTimer->setInterval(kLiveUpdateMs);
    connect(m_textTimer, &QTimer::timeout, this, &CFV::textLiveUpdate);

    connect(m_loader, &FeedPageLoader::paged, this, &CFV::onPaged);
    connect(m_loader, &FeedPageLoader::pictureRow, this, &CFV::onPictureRow);
    connect(m_loader, &FeedPageLoader::textsCounted, this, [this](int count) { m_textCount = count; });
    connect(m_loader, &FeedPageLoader::textRow, this, &CFV::onTextRow);
    connect(m_loader, &FeedPageLoader::finished, this, &CFV::onLoaderFinished);

    const bool pictures = m_kind != BasketContent::Texts;
    m_pictures->setVisible(pictures);
    m_texts->setVisible(!pictures);
    for (QPushButton *button : {m_newest, m_older, m_newer, m_oldest})
        button->setVisible(pictures);
    resize(pictures ? kPictureGridRight + 50 : 700, 650);
}

CFV::~CFV()
{
    m_pictureTimer->stop();
    m_textTimer->stop();
    m_loader->stop();
}

void CFV::createGrids()
{
    m_pictures = new CGridCtrl(this);
    m_pictures->setObjectName(u"pictureGrid"_s);
    m_pictures->setGridKind(kPictureGridKind);
    m_pictures->setFixedRowCount(0);
    m_pictures->setFixedColumnCount(0);
    m_pictures->setRowCount(0);
    m_pictures->setColumns(kPictureColumnWidths);
    m_pictures->setDefaultRowHeight(kViewerPictureRowHeight);
    m_pictures->setImageListSize(BasketPaging::kThumbnailSlots);
    m_pictures->setEditable(false);
    m_pictures->setGridLineColour(QColor(Palette::kBasketGridLine));
    m_pictures->setRowSelection(true);

    m_texts = new CGridCtrl(this);
    m_texts->setObjectName(u"textGrid"_s);
    m_texts->setGridKind(kTextGridKind);
    m_texts->setFixedRowCount(0);
    m_texts->setFixedColumnCount(0);
    m_texts->setRowCount(0);
    m_texts->setColumns(kTextColumnWidths);
    m_texts->setDefaultRowHeight(kTextRowHeight);
    m_texts->setEditable(false);
    m_texts->setGridLineColour(QColor(Palette::kBasketGridLine));
    m_texts->setRowSelection(true);

    // Enter on a picture row does what a double-click does.
    m_pictures->installEventFilter(this);
    for (CGridCtrl *grid : {m_pictures, m_texts}) {
        connect(grid, &CGridCtrl::cellDoubleClicked, this, &CFV::onDoubleClicked);
        connect(grid, &CGridCtrl::cellRightClicked, this, &CFV::onRightClicked);
    }
}

void CFV::createButtons()
{
    const auto make = [this](const QString &text, const QString &name, void (CFV::*slot)()) {
        // English labels whose arrows must point where they lead: text is drawn right to left in
        // this program, which would mirror an arrow at either end of a label. Left-to-right marks
        // around the label keep it as it is written.
        const QChar mark(0x200E);
        auto *button = new QPushButton(mark + text + mark, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    m_newest = make(u"<< Newst"_s, u"newest1036"_s, &CFV::showNewest);
    m_older = make(u">"_s, u"older1033"_s, &CFV::showOlder);
    m_newer = make(u"<"_s, u"newer1034"_s, &CFV::showNewer);
    m_oldest = make(u"Oldest >>"_s, u"oldest1035"_s, &CFV::showOldest);
}

void CFV::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    layoutChildren();
    if (m_kind == BasketContent::Texts)
        // After the window is up: reading every message may take a moment.
        QTimer::singleShot(0, this, &CFV::openTexts);
    else
        openPictures();
}

bool CFV::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pictures && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_pictures->currentRow() >= 0) {
            onDoubleClicked(m_pictures->currentRow(), m_pictures->currentColumn(), kPictureGridKind);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CFV::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void CFV::closeEvent(QCloseEvent *event)
{
    m_pictureTimer->stop();
    m_textTimer->stop();
    m_loader->stop();
    QWidget::closeEvent(event);
}

void CFV::layoutChildren()
{
    // Physical positions, whatever the layout direction: the buttons in a row from the left, in
    // the order their arrows point.
    int x = 2;
    for (QPushButton *button : {m_newest, m_newer, m_older, m_oldest}) {
        button->setGeometry(x, 2, kButtonWidth, kButtonHeight);
        x += kButtonWidth + 2;
    }
    m_pictures->setGeometry(0, kGridTop, width(), std::max(0, height() - kGridTop));
    m_texts->setGeometry(0, 0, width(), height());
    if (m_kind != BasketContent::Texts) {
        // The description takes the rest of the width, so that every column is in view.
        const int scrollBar = m_pictures->verticalScrollBar()->sizeHint().width();
        const int rest = m_pictures->width() - 2 * m_pictures->frameWidth() - scrollBar
                         - kPictureColumnWidths[PicturePath] - kPictureColumnWidths[PictureNumber];
        m_pictures->setColumnWidth(PictureDescription, std::max(kPictureColumnWidths[PictureDescription], rest));
    }
    if (m_started && m_kind == BasketContent::Texts) {
        const int a = width() / kTextWidthUnits;
        m_texts->setColumnWidth(0, a);
        m_texts->setColumnWidth(TextName, 4 * a);
        m_texts->setColumnWidth(2, 0);
        m_texts->setColumnWidth(TextBody, std::max(0, 20 * a - 5));
    }
}

// --- loading --------------------------------------------------------------------------------------

bool CFV::isLoading() const { return m_loader->isRunning(); }

void CFV::openPictures()
{
    m_pictures->removeNonFixedRows();
    loadPage(FeedPageLoader::Move::Newest);
}

void CFV::loadPage(FeedPageLoader::Move move)
{
    m_loading = Loading::Page;
    m_loader->showPage(m_pager, move, m_retryBudgetMs);
}

void CFV::onPaged(const BasketPaging::Pager &pager)
{
    m_pictures->removeNonFixedRows();
    m_pager = pager;
    updatePageButtons();
}

void CFV::updatePageButtons()
{
    m_older->setEnabled(m_pager.hasOlder());
    m_newer->setEnabled(m_pager.hasNewer());
}

void CFV::onPictureRow(const FeedItem &item)
{
    addPictureRow(item);
    trimPictureRows();
}

void CFV::onLoaderFinished()
{
    switch (m_loading) {
    case Loading::Page:
        if (m_pager.isLive())
            m_pictureTimer->start();
        m_loading = Loading::Nothing;
        Q_EMIT loadingFinished();
        return;
    case Loading::LivePictures:
        if (m_pager.isLive())
            m_pictureTimer->start();
        updatePageButtons();
        m_pictures->viewport()->update();
        break;
    case Loading::Texts:
        m_knownTexts = m_textCount;
        layoutChildren();
        m_textTimer->start();
        break;
    case Loading::LiveText:
        m_texts->viewport()->update();
        break;
    case Loading::Nothing:
        break;
    }
    m_loading = Loading::Nothing;
}

void CFV::beginPage()
{
    m_loader->stop();
    m_pictureTimer->stop();
    m_pictures->removeNonFixedRows();
}

void CFV::addPictureRow(const FeedItem &item)
{
    // The rows come lowest position first and each goes on top.
    const int row = m_pictures->rowCount() == 0 ? m_pictures->appendRow() : m_pictures->insertRowAtTop();
    if (row < 0)
        return;
    const int slot = BasketPaging::thumbnailSlot(item.position);
    m_pictures->beginBatch();
    m_pictures->setRowHeight(row, kViewerPictureRowHeight);
    if (slot >= 0) {
        m_pictures->setListImage(slot, item.thumbnail.isNull() ? Thumbnail::compose(QImage()) : item.thumbnail);
        m_pictures->setImage(row, PicturePath, slot);
    }
    m_pictures->setText(row, PicturePath, item.path);
    m_pictures->setText(row, PictureNumber, QString::number(item.sequence));
    m_pictures->setText(row, PictureDescription, item.description);
    for (int c = PicturePath; c <= PictureDescription; ++c)
        m_pictures->setBackground(row, c, QColor(Palette::kSheetCell));
    m_pictures->endBatch();
}

void CFV::trimPictureRows()
{
    while (m_pictures->rowCount() > BasketPaging::kPageRows)
        m_pictures->removeRow(m_pictures->rowCount() - 1);
}

void CFV::showNewest()
{
    beginPage();
    loadPage(FeedPageLoader::Move::Newest);
}

void CFV::showOldest()
{
    beginPage();
    loadPage(FeedPageLoader::Move::Oldest);
}

void CFV::showOlder()
{
    beginPage();
    loadPage(FeedPageLoader::Move::Older);
}

void CFV::showNewer()
{
    beginPage();
    loadPage(FeedPageLoader::Move::Newer);
}

void CFV::pictureLiveUpdate()
{
    if (!m_pager.isLive() || isLoading())
        return;
    // One try: the timer itself tries again a second later, and the window stays usable while
    // the index cannot be opened.
    RetryingOpener once(0);
    const std::optional<int> read = m_feed.readRecordCount(once);
    if (!read)
        return;
    const int count = *read;
    if (count < m_pager.knownCount()) {
        // The index was replaced by a shorter one: start again from its newest records.
        showNewest();
        return;
    }
    if (count == m_pager.knownCount())
        return;
    m_pictureTimer->stop();
    const BasketPaging::LiveUpdate update = m_pager.update(count);
    m_loading = Loading::LivePictures;
    m_loader->loadPictures(update.insertAtTop, m_retryBudgetMs);
}

void CFV::openTexts()
{
    m_texts->removeNonFixedRows();
    m_textCount = 0;
    m_loading = Loading::Texts;
    m_loader->loadTexts(m_retryBudgetMs);
}

void CFV::onTextRow(const FeedItem &item)
{
    // The whole feed comes newest first, each below the one before; a live update's message goes
    // on top.
    const bool onTop = m_loading == Loading::LiveText;
    const int row = onTop && m_texts->rowCount() > 0 ? m_texts->insertRowAtTop() : m_texts->appendRow();
    if (row < 0)
        return;
    m_texts->setRowHeight(row, kTextRowHeight);
    m_texts->setText(row, TextName, item.name);
    m_texts->setText(row, TextBody, item.text);
    if (!onTop) {
        for (int c = 0; c <= TextBody; ++c)
            m_texts->setBackground(row, c, QColor(Palette::kSheetCell));
    }
}

void CFV::textLiveUpdate()
{
    if (isLoading())
        return;
    // One try, as for the pictures; an index that cannot be read now adds nothing.
    RetryingOpener once(0);
    const int count = m_feed.recordCount(once);
    const int position = BasketPaging::textLiveUpdate(m_knownTexts, count);
    if (position < 0)
        return;
    m_knownTexts = count;
    m_loading = Loading::LiveText;
    m_loader->loadText(position, m_retryBudgetMs);
}

// --- commands -------------------------------------------------------------------------------------

QString CFV::rowPath(int row) const { return m_pictures->text(row, PicturePath); }

void CFV::onDoubleClicked(int row, int /*column*/, int gridKind)
{
    if (gridKind != kPictureGridKind || row < 0 || row >= m_pictures->rowCount())
        return;
    const QString path = rowPath(row);
    if (path.isEmpty())
        return;
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : path.mid(dot + 1);
    if (FileKinds::isPreviewPicture(extension))
        Q_EMIT previewRequested(path, m_pictures->text(row, PictureDescription));
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CFV::onRightClicked(int row, int column, int gridKind, const QPoint &globalPos)
{
    CGridCtrl *grid = gridKind == kPictureGridKind ? m_pictures : m_texts;
    if (const int command = grid->chooseCommandAt(row, column, contextMenu(gridKind), globalPos))
        runCommand(command);
}

QMenu *CFV::contextMenu(int gridKind)
{
    QList<std::pair<int, QString>> items;
    if (gridKind == kPictureGridKind)
        items = {{CmdArchive, tr("أرشفة")}, {CmdView, tr("عرض")}, {CmdTransfer, tr("تحويل")}, {CmdPrint, tr("طباعة")}};
    else if (gridKind == kTextGridKind)
        items = {{CmdTextArchive, tr("أرشفة")}, {CmdTextEdit, tr("تحرير")}, {CmdTextTransfer, tr("تحويل")}};
    else
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(gridKind == kPictureGridKind ? u"Afp"_s : u"TM"_s);
    for (const auto &[command, text] : items) {
        QAction *action = menu->addAction(text);
        action->setData(command);
        // Printing needs the print right.
        if (command == CmdPrint)
            action->setEnabled(Printing::permitted(m_state.rights).ok());
    }
    return menu;
}

void CFV::printSelected()
{
    QList<Printing::Row> rows;
    const QList<int> selected = m_pictures->selectedRows();
    for (int r = 0; r < m_pictures->rowCount(); ++r) {
        if (!rowPath(r).isEmpty())
            rows.append({rowPath(r), selected.contains(r) ? 1u : 0u});
    }
    const Result<QStringList> pages = Printing::basketPages(m_state.rights, rows, Printing::kSelectedRows);
    if (!pages) {
        MessageBox::warning(this, pages.error());
        return;
    }
    if (pages->isEmpty()) {
        MessageBox::information(this, tr("لا توجد صور محددة للطباعة"));
        return;
    }
    Q_EMIT printRequested(*pages);
}

void CFV::runCommand(int command)
{
    const int pictureRow = m_pictures->currentRow();
    const int textRow = m_texts->currentRow();
    const bool havePicture = pictureRow >= 0 && pictureRow < m_pictures->rowCount() && !rowPath(pictureRow).isEmpty();
    const bool haveText = textRow >= 0 && textRow < m_texts->rowCount();
    // A command about one row that finds none says so.
    const auto noRow = [this] { MessageBox::information(this, tr("لم يحدد أي سطر")); };
    switch (command) {
    case CmdArchive:
        archivePictures();
        break;
    case CmdView:
        if (havePicture)
            Q_EMIT viewRequested(rowPath(pictureRow));
        else
            noRow();
        break;
    case CmdTransfer:
        if (havePicture)
            Q_EMIT transferRequested(rowPath(pictureRow));
        else
            noRow();
        break;
    case CmdPrint:
        printSelected();
        break;
    case CmdTextArchive:
        archiveTexts();
        break;
    case CmdTextEdit:
        if (haveText)
            handTextToEditor(m_texts->text(textRow, TextBody));
        else
            noRow();
        break;
    case CmdTextTransfer:
        if (haveText && FeedIndex::isPlainName(m_texts->text(textRow, TextName)))
            Q_EMIT transferRequested(m_feed.folder() + u'/' + m_texts->text(textRow, TextName));
        else if (!haveText)
            noRow();
        break;
    default:
        break;
    }
}

void CFV::archivePictures()
{
    QList<FileItem> items;
    RetryingOpener opener(m_retryBudgetMs);
    for (int r : m_pictures->selectedRows()) {
        const QString path = rowPath(r);
        if (path.isEmpty())
            continue;
        const qsizetype slash = path.lastIndexOf(u'/');
        FileItem item;
        item.name = path.mid(slash + 1);
        item.folder = path.left(slash + 1);
        // The card's description is the whole stored one; its keywords what the viewer shows.
        item.description = DescriptionReader::readDescription(path, DescriptionReader::Form::Archive);
        item.keywords = m_pictures->text(r, PictureDescription);
        item.size = FeedItems::sizeOf(path, opener);
        items.append(item);
    }
    if (items.isEmpty())
        MessageBox::information(this, tr("لا توجد ملفات محددة للأرشفة"));
    else
        Q_EMIT archiveFilesRequested(items);
}

void CFV::archiveTexts()
{
    QList<TextItem> texts;
    for (int r : m_texts->selectedRows()) {
        TextItem item;
        item.keywords = m_texts->text(r, TextName) + QString(kKeywordGap, u' ') + m_title;
        item.text = m_texts->text(r, TextBody);
        texts.append(item);
    }
    if (texts.isEmpty())
        MessageBox::information(this, tr("لا توجد نصوص محددة للأرشفة"));
    else
        Q_EMIT archiveTextsRequested(texts);
}

Status CFV::writeTextHandOff(const QString &text) const
{
    return ReportCopy::writeCrLfText(textHandOffPath(m_state.programFolder), text);
}

void CFV::handTextToEditor(const QString &text)
{
    if (const Status s = writeTextHandOff(text); !s)
        MessageBox::warning(this, s.error());
}
