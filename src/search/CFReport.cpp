#include "CFReport.h"

#include "base/SystemError.h"

#include "base/HandOffFolder.h"
#include "base/Palette.h"
#include "baskets/CFolderDlg.h"
#include "imaging/PictureDecoder.h"
#include "search/PrintHandOver.h"
#include "search/Printing.h"
#include "search/ReportCopy.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kThumbnailRowHeight = 147;
constexpr int kReportTextRowHeight = 100;
constexpr int kThumbnailColumnWidths[] = {160, 65, 200, 0, 0, 0};
constexpr int kReportTextColumnWidths[] = {40, 105, 385, 0, 0};

// Columns of the thumbnail grid and of the text grid.
enum ImageColumn { ImagePath = 0, ImageKeywords = 1, ImageDescription = 2, ImageCard = 3, ImageItem = 4, ImageText = 5 };
enum ReportTextColumn { ReportTextNumber = 0, ReportTextKeywords = 1, ReportTextBody = 2, ReportTextCard = 3, ReportTextItem = 4 };

// The grids sit below the buttons, side by side in a splitter that shares the width between
// them; the thumbnail grid starts 450 wide, the text grid 5 pixels to its right.
constexpr int kReportGridTop = 30;
constexpr int kThumbnailRight = 450;
constexpr int kTextLeft = 455;
constexpr int kMinimumGridWidth = 120;
// A text hit's row grows to show up to this many lines of its text.
constexpr int kTextHitLines = 4;
constexpr int kReportButtonWidth = 70;
constexpr int kReportButtonHeight = 26;

constexpr int kTextFontPixels = 30;
constexpr int kEditorImageWidth = 300;

// The name of every print job of a report.
constexpr auto kPrintJobName = u"Dovrelle";
// A file handed to the print command shows its progress once the wait is this long.
constexpr int kHandOverProgressDelayMs = 500;

bool isPrintAllKey(const QKeyEvent *key)
{
    return key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_P);
}

} // namespace

CFReport::CFReport(AppState &state, Database db, SqlCondition where, const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_loader = new ReportLoader(std::move(db), std::move(where), state.fileServerFolder, state.programFolder, this);
    m_handOver = new PrintHandOver(this);
    connect(m_handOver, &PrintHandOver::failure, this, [this](const QString &message) { m_printFailures.append(message); });

    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(u"stop1036"_s);
    m_resume = new QPushButton(tr("Resume"), this);
    m_resume->setObjectName(u"resume1035"_s);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_loader->stop(); });
    connect(m_resume, &QPushButton::clicked, this, [this] { m_loader->resume(); });

    createGrids();

    connect(m_loader, &ReportLoader::imageRow, this, &CFReport::addImageRow);
    connect(m_loader, &ReportLoader::textRow, this, &CFReport::addTextRow);
    connect(m_loader, &ReportLoader::failed, this, [this](const QString &message) { MessageBox::critical(this, message); });
    connect(m_loader, &ReportLoader::finished, this, &CFReport::loadingFinished);
    resize(kTextLeft + kReportTextColumnWidths[0] + kReportTextColumnWidths[1] + kReportTextColumnWidths[2] + 30, 600);
}

CFReport::CFReport(AppState &state, Database db, const BuiltQuery &query, const QString &title, QWidget *parent)
    : CFReport(state, std::move(db), query.where, title, parent)
{
}

CFReport::~CFReport()
{
    // Nothing of the worker may reach this window once it goes.
    disconnect(m_loader, nullptr, this, nullptr);
    m_loader->stop();
}

void CFReport::createGrids()
{
    // Physical positions: the thumbnails stay on the left whatever the layout direction.
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setObjectName(u"reportSplit"_s);
    m_split->setLayoutDirection(Qt::LeftToRight);
    m_split->setChildrenCollapsible(false);
    m_split->setHandleWidth(kTextLeft - kThumbnailRight);

    m_thumbnails = new CGridCtrl(m_split);
    m_thumbnails->setGridKind(kThumbnailGridKind);
    m_thumbnails->setFixedRowCount(0);
    m_thumbnails->setFixedColumnCount(0);
    m_thumbnails->setRowCount(0);
    m_thumbnails->setColumns(kThumbnailColumnWidths);
    m_thumbnails->setDefaultRowHeight(kThumbnailRowHeight);
    m_thumbnails->setImageListSize(ReportLoader::kThumbnailSlots);
    m_thumbnails->setEditable(false);
    m_thumbnails->setGridLineColour(QColor(Palette::kReportGridLine));

    m_texts = new CGridCtrl(m_split);
    m_texts->setGridKind(kTextGridKind);
    m_texts->setFixedRowCount(0);
    m_texts->setRowCount(0);
    m_texts->setColumnCount(int(std::size(kReportTextColumnWidths)));
    m_texts->setFixedColumnCount(1);
    m_texts->setColumns(kReportTextColumnWidths);
    m_texts->setDefaultRowHeight(kReportTextRowHeight);
    m_texts->setEditable(false);
    m_texts->setGridLineColour(QColor(Palette::kReportGridLine));
    QFont font = m_texts->font();
    font.setFamily(u"Simplified Arabic"_s);
    font.setPixelSize(kTextFontPixels);
    font.setWeight(QFont::Black);
    m_texts->setFont(font);

    for (CGridCtrl *grid : {m_thumbnails, m_texts}) {
        grid->setRowSelection(true);
        grid->setMinimumWidth(kMinimumGridWidth);
        connect(grid, &CGridCtrl::cellDoubleClicked, this, &CFReport::onDoubleClicked);
        connect(grid, &CGridCtrl::cellRightClicked, this, &CFReport::onRightClicked);
        grid->installEventFilter(this);
    }
    m_split->addWidget(m_thumbnails);
    m_split->addWidget(m_texts);
    // A smaller or larger window takes from and gives to both grids alike.
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 1);
    installEventFilter(this);
}

bool CFReport::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl+P prints all hits of the report that has the focus, before the main window's own
    // Ctrl+P can take it.
    if (event->type() == QEvent::ShortcutOverride && isPrintAllKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && isPrintAllKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        runCommand(CmdPrintAll);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CFReport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_loader->start();
    }
}

void CFReport::closeEvent(QCloseEvent *event)
{
    // The window stays while a print is handing its files over.
    if (m_printing) {
        event->ignore();
        return;
    }
    m_loader->stop();
    QWidget::closeEvent(event);
}

void CFReport::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void CFReport::layoutChildren()
{
    // Physical positions: the buttons at the top left.
    m_stop->setGeometry(2, 2, kReportButtonWidth, kReportButtonHeight);
    m_resume->setGeometry(4 + kReportButtonWidth, 2, kReportButtonWidth, kReportButtonHeight);
    m_split->setGeometry(0, kReportGridTop, width(), std::max(0, this->height() - kReportGridTop));
    if (!m_splitPlaced && width() > 0) {
        // The first layout: the thumbnails at their width, the texts the rest, shared alike when
        // the window is too small for that.
        m_splitPlaced = true;
        const int shared = std::max(0, width() - (kTextLeft - kThumbnailRight));
        const int thumbnails = shared >= 2 * kThumbnailRight ? kThumbnailRight : shared / 2;
        m_split->setSizes({thumbnails, shared - thumbnails});
    }
}

void CFReport::addImageRow(const ReportHit &hit, const QImage &thumbnail)
{
    // The result comes in card order and every row goes on top: the newest card is shown first.
    const int row = m_thumbnails->rowCount() == 0 ? m_thumbnails->appendRow() : m_thumbnails->insertRowAtTop();
    if (row < 0)
        return;
    m_thumbnails->beginBatch();
    m_thumbnails->setRowHeight(row, kThumbnailRowHeight);
    if (hit.number >= 0 && !thumbnail.isNull()) {
        m_thumbnails->setListImage(hit.number, thumbnail);
        m_thumbnails->setImage(row, ImagePath, hit.number);
    }
    m_thumbnails->setText(row, ImagePath, hit.path);
    m_thumbnails->setText(row, ImageCard, QString::number(hit.cardNumber));
    m_thumbnails->setText(row, ImageItem, QString::number(hit.itemNumber));
    m_thumbnails->setText(row, ImageKeywords, hit.keywords);
    m_thumbnails->setText(row, ImageDescription, hit.description);
    m_thumbnails->setText(row, ImageText, hit.text);
    for (int c = ImagePath; c <= ImageDescription; ++c)
        m_thumbnails->setBackground(row, c, QColor(Palette::kSheetCell));
    m_thumbnails->endBatch();
}

void CFReport::addTextRow(const ReportHit &hit)
{
    const int row = m_texts->rowCount() == 0 ? m_texts->appendRow() : m_texts->insertRowAtTop();
    if (row < 0)
        return;
    m_texts->beginBatch();
    m_texts->setText(row, ReportTextNumber, QString::number(hit.number));
    m_texts->setRowHeight(row, textRowHeight(hit.text));
    m_texts->setBackground(row, ReportTextKeywords, QColor(Palette::kSheetCell));
    m_texts->setBackground(row, ReportTextBody, QColor(Palette::kSheetCell));
    m_texts->setText(row, ReportTextBody, hit.text);
    m_texts->setText(row, ReportTextKeywords, hit.keywords);
    m_texts->setText(row, ReportTextCard, QString::number(hit.cardNumber));
    m_texts->setText(row, ReportTextItem, QString::number(hit.itemNumber));
    m_texts->endBatch();
}

QString CFReport::rowPath(int row) const { return m_thumbnails->text(row, ImagePath); }

int CFReport::rowCard(CGridCtrl *grid, int row) const
{
    return grid->text(row, grid == m_thumbnails ? int(ImageCard) : int(ReportTextCard)).toInt();
}

void CFReport::onDoubleClicked(int row, int column, int gridKind)
{
    if (row < 0)
        return;
    if (gridKind == kThumbnailGridKind && column == ImagePath) {
        Q_EMIT previewRequested(rowPath(row), m_thumbnails->text(row, ImageKeywords),
                                m_thumbnails->text(row, ImageDescription));
    } else if (gridKind == kTextGridKind) {
        handTextToEditor(m_texts->text(row, ReportTextBody));
        showHitText(row);
    }
}

int CFReport::textRowHeight(const QString &text) const
{
    // As many lines as the text takes in its column, up to a few; never below the usual height.
    const QFontMetrics metrics(m_texts->font());
    const int width = std::max(1, kReportTextColumnWidths[ReportTextBody] - 2 * metrics.averageCharWidth());
    const QRect needed = metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text);
    const int lines = std::clamp((needed.height() + metrics.lineSpacing() - 1) / std::max(1, metrics.lineSpacing()), 1,
                                 kTextHitLines);
    return std::max(kReportTextRowHeight, lines * metrics.lineSpacing() + metrics.lineSpacing() / 2);
}

void CFReport::showHitText(int row)
{
    if (!m_hitText) {
        m_hitText = new QDialog(this);
        m_hitText->setObjectName(u"hitText"_s);
        m_hitText->setLayoutDirection(Qt::RightToLeft);
        auto *layout = new QVBoxLayout(m_hitText);
        auto *view = new QPlainTextEdit(m_hitText);
        view->setReadOnly(true);
        view->setFont(m_texts->font());
        layout->addWidget(view);
        m_hitText->resize(kReportTextColumnWidths[ReportTextBody] + 120, 400);
    }
    m_hitText->setWindowTitle(m_texts->text(row, ReportTextKeywords));
    m_hitText->findChild<QPlainTextEdit *>()->setPlainText(m_texts->text(row, ReportTextBody));
    m_hitText->show();
    m_hitText->raise();
    m_hitText->activateWindow();
}

void CFReport::onRightClicked(int row, int column, int gridKind, const QPoint &globalPos)
{
    CGridCtrl *grid = gridKind == kThumbnailGridKind ? m_thumbnails : m_texts;
    if (const int command = grid->chooseCommandAt(row, column, contextMenu(gridKind), globalPos))
        runCommand(command);
}

QMenu *CFReport::contextMenu(int gridKind)
{
    struct Item
    {
        int command;
        QString text;
    };
    QList<Item> items;
    if (gridKind == kThumbnailGridKind) {
        items = {{CmdOpen, tr("فتح")},
                 {CmdView, tr("عرض")},
                 {CmdPrintSelected, tr("طباعة الملفات المحددة")},
                 {CmdPrintAll, tr("طباعة الكل")},
                 {CmdImageToEditor, tr("محرر النص")},
                 {CmdShowCard, tr("عرض البطاقة")},
                 {CmdCopyToFolder, tr("نسخ الى مجلد")}};
    } else if (gridKind == kTextGridKind) {
        items = {{CmdTextEdit, tr("تحرير")}, {CmdTextShowCard, tr("عرض البطاقة")}, {CmdCopyToFolder, tr("نسخ الى مجلد")}};
    } else {
        return nullptr;
    }
    auto *menu = new QMenu(this);
    menu->setObjectName(gridKind == kThumbnailGridKind ? u"ReportImage"_s : u"Text2"_s);
    for (const Item &item : items) {
        QAction *action = menu->addAction(item.text);
        action->setData(item.command);
        // Copying to a folder waits for the folder dialog of the transfers; printing needs the
        // print right.
        const bool printing = item.command == CmdPrintSelected || item.command == CmdPrintAll;
        action->setEnabled(!printing || isGranted(m_state.rights.printjob));
    }
    return menu;
}

void CFReport::runCommand(int command)
{
    const int imageRow = m_thumbnails->currentRow();
    const int textRow = m_texts->currentRow();
    const bool haveImage = imageRow >= 0 && imageRow < m_thumbnails->rowCount();
    const bool haveText = textRow >= 0 && textRow < m_texts->rowCount();
    // A command about one row that finds none says so.
    const bool oneImage = command == CmdOpen || command == CmdView || command == CmdImageToEditor || command == CmdShowCard;
    const bool oneText = command == CmdTextShowCard || command == CmdTextEdit;
    if ((oneImage && !haveImage) || (oneText && !haveText)) {
        MessageBox::information(this, tr("لم يحدد أي سطر"));
        return;
    }
    switch (command) {
    case CmdOpen:
        if (haveImage)
            QDesktopServices::openUrl(QUrl::fromLocalFile(rowPath(imageRow)));
        break;
    case CmdView:
        if (haveImage)
            Q_EMIT viewRequested(rowPath(imageRow));
        break;
    case CmdImageToEditor:
        if (haveImage) {
            const Status s = writeImageHandOff(rowPath(imageRow));
            if (!s)
                MessageBox::warning(this, s.error());
        }
        break;
    case CmdShowCard:
        if (haveImage)
            Q_EMIT showCardRequested(rowCard(m_thumbnails, imageRow));
        break;
    case CmdTextShowCard:
        if (haveText)
            Q_EMIT showCardRequested(rowCard(m_texts, textRow));
        break;
    case CmdTextEdit:
        if (haveText)
            handTextToEditor(m_texts->text(textRow, ReportTextBody));
        break;
    case CmdCopyToFolder:
        copyToFolder();
        break;
    case CmdPrintSelected:
        if (!isGranted(m_state.rights.printjob))
            break;
        m_printMode = Printing::kSelectedRows;
        printDirectly();
        break;
    case CmdPrintAll:
        if (!isGranted(m_state.rights.printjob))
            break;
        m_printMode = Printing::kAllRows;
        printDirectly();
        break;
    default:
        break;
    }
}

void CFReport::copyToFolder()
{
    CFolderDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        m_thumbnails->viewport()->update();
        return;
    }
    const QString folder = dialog.folder();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    // The highlighted rows, whichever of their cells was clicked.
    QStringList files;
    for (int r : m_thumbnails->selectedRows())
        files.append(rowPath(r));
    QStringList problems;
    const Result<int> waiting = ReportCopy::orderFiles(m_state.programFolder, files, folder);
    if (!waiting)
        problems.append(waiting.error());
    else if (*waiting > 0 && !ReportCopy::startCopier(m_state.programFolder))
        problems.append(tr("تعذر تشغيل برنامج النسخ؛ الملفات بانتظار النسخ"));

    QList<ReportCopy::TextHit> texts;
    for (int r : m_texts->selectedRows())
        texts.append({r, m_texts->text(r, ReportTextKeywords), m_texts->text(r, ReportTextBody)});
    if (Status s = ReportCopy::writeTexts(folder, texts); !s)
        problems.append(s.error());

    QGuiApplication::restoreOverrideCursor();
    m_thumbnails->viewport()->update();
    if (!problems.isEmpty())
        MessageBox::warning(this, problems.join(u'\n'));
    else if (files.isEmpty() && texts.isEmpty())
        MessageBox::information(this, tr("لا توجد ملفات أو نصوص محددة للنسخ"));
}

void CFReport::printDirectly()
{
    // The window stays usable while the print command runs; a second print must not start
    // inside the first.
    if (m_printing)
        return;
    QList<Printing::Row> rows;
    rows.reserve(m_thumbnails->rowCount());
    const QList<int> selected = m_thumbnails->selectedRows();
    for (int r = 0; r < m_thumbnails->rowCount(); ++r)
        rows.append({rowPath(r), selected.contains(r) ? 1u : 0u});
    const Printing::ReportPlan plan = Printing::reportPlan(rows, m_printMode);
    if (m_printMode == Printing::kSelectedRows && plan.pages.isEmpty() && plan.handedOver.isEmpty()) {
        MessageBox::information(this, tr("لا توجد ملفات محددة للطباعة"));
        return;
    }
    std::unique_ptr<QPrinter> chosen;
    QPrinter *printer = m_printer;
    if (!printer) {
        printer = m_programPrinter;
        if (!printer) {
            chosen = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer = chosen.get();
        }
        QPrintDialog dialog(printer, this);
        dialog.setPrintRange(QAbstractPrintDialog::AllPages);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    printer->setDocName(QString::fromUtf16(kPrintJobName));
    printer->setFullPage(true);

    m_printList = plan.pages;
    m_printing = true;
    m_chosenPrinter = std::move(chosen);
    m_printFailures.clear();
    if (plan.handedOver.isEmpty()) {
        printPagesAndReport(*printer);
        return;
    }

    // The other files go to the print command first, one after the other; the pages follow.
    auto *progress = new QProgressDialog(this);
    progress->setWindowModality(Qt::WindowModal);
    progress->setCancelButtonText(tr("الغاء"));
    progress->setMinimumDuration(kHandOverProgressDelayMs);
    progress->setRange(0, int(plan.handedOver.size()));
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    connect(progress, &QProgressDialog::canceled, m_handOver, &PrintHandOver::cancel);
    connect(m_handOver, &PrintHandOver::handingOver, progress, [progress](int index, const QString &file) {
        progress->setLabelText(tr("جاري طباعة الملف %1").arg(QDir::toNativeSeparators(file)));
        progress->setValue(index);
    });
    connect(m_handOver, &PrintHandOver::finished, this, [this, progress, printer] {
        disconnect(m_handOver, nullptr, progress, nullptr);
        progress->hide();
        progress->deleteLater();
        printPagesAndReport(*printer);
    }, Qt::SingleShotConnection);
    m_handOver->start(m_state.printCommand, plan.handedOver);
}

void CFReport::printPagesAndReport(QPrinter &printer)
{
    if (!m_printList.isEmpty() && !printPages(printer))
        m_printFailures.append(tr("تعذرت الطباعة على الطابعة %1 فأوقفت").arg(printer.printerName()));
    m_printing = false;
    m_chosenPrinter.reset();
    const QStringList failures = std::exchange(m_printFailures, {});
    if (!failures.isEmpty())
        MessageBox::warning(this, failures.join(u'\n'));
    Q_EMIT printEnded();
}

bool CFReport::printPages(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (qsizetype page = 0; page < m_printList.size(); ++page) {
        if ((page > 0 && !printer.newPage()) || printer.printerState() == QPrinter::Error) {
            printer.abort();
            painter.end();
            return false;
        }
        Printing::drawPage(painter, m_printList.at(page), m_state.programFolder);
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

QString CFReport::textHandOffPath() const { return ::textHandOffPath(m_state.programFolder); }
QString CFReport::imageHandOffPath() const { return m_state.programFolder + u"/COM/tmp.jpg"_s; }

Status CFReport::writeTextHandOff(const QString &text) const
{
    return ReportCopy::writeCrLfText(textHandOffPath(), text);
}

void CFReport::handTextToEditor(const QString &text)
{
    if (const Status s = writeTextHandOff(text); !s)
        MessageBox::warning(this, s.error());
}

Status CFReport::writeImageHandOff(const QString &path) const
{
    const PictureDecoder::Decoded picture = PictureDecoder::decode(path);
    if (!picture.ok())
        return Status::failure(picture.error);
    const QImage &image = picture.image;
    const int height = int(qint64(kEditorImageWidth) * image.height() / image.width());
    const QImage small = image.scaled(kEditorImageWidth, std::max(1, height), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QString target = imageHandOffPath();
    QDir().mkpath(QFileInfo(target).absolutePath());
    // The outside program never finds half a picture: written aside, then put in place.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || !small.save(&file, "JPEG") || !commitWhole(file))
        return Status::failure(tr("تعذر حفظ الملف %1").arg(QDir::toNativeSeparators(target)));
    return {};
}
