#include "CViewPrintPreview.h"

#include "base/AppState.h"
#include "search/Printing.h"
#include "ui/MessageBox.h"

#include <QPainter>
#include <QPrinter>

namespace {

// The preview and its prints lay pages out at this resolution.
constexpr int kPreviewPrinterDpi = 1200;

// One preview at a time: while it is open the main window, and with it every viewer, is hidden.
QPointer<CViewPrintPreview> s_current;

} // namespace

void CViewPrintPreview::open(const AppState &state, PrintSource source, const QString &title,
                             const QStringList &candidatePaths, QWidget *mainWindow)
{
    if (Status allowed = Printing::permitted(state.rights); !allowed) {
        MessageBox::warning(mainWindow, allowed.error());
        return;
    }
    if (s_current) {
        s_current->raise();
        s_current->activateWindow();
        return;
    }
    QStringList pages;
    for (const QString &path : candidatePaths) {
        if (Printing::isPicture(path))
            pages.append(path);
    }
    if (pages.isEmpty()) {
        MessageBox::information(mainWindow, tr("لا توجد صور محددة للطباعة"));
        return;
    }

    auto *preview = new CViewPrintPreview(source, std::move(pages), state.programFolder, mainWindow);
    preview->setWindowTitle(title);
    s_current = preview;
    if (mainWindow)
        mainWindow->hide();
    preview->showMaximized();
}

CViewPrintPreview *CViewPrintPreview::current()
{
    return s_current.data();
}

CViewPrintPreview::CViewPrintPreview(PrintSource source, QStringList pages, QString programFolder, QWidget *mainWindow)
    : QPrintPreviewDialog(mainWindow)
    , m_source(source)
    , m_pages(std::move(pages))
    , m_programFolder(std::move(programFolder))
    , m_mainWindow(mainWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the preview while the main window is hidden must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowModality(Qt::NonModal);
    printer()->setResolution(kPreviewPrinterDpi);
    printer()->setFullPage(true);
    printer()->setDocName(QStringLiteral("Dovrelle"));
    connect(this, &QPrintPreviewDialog::paintRequested, this, &CViewPrintPreview::paintPages);
    connect(this, &QDialog::finished, this, [this] {
        if (m_mainWindow)
            m_mainWindow->show();
    });
}

CViewPrintPreview::~CViewPrintPreview()
{
    if (m_mainWindow && m_mainWindow->isHidden())
        m_mainWindow->show();
}

void CViewPrintPreview::paintPages(QPrinter *printer)
{
    QPainter painter;
    if (!painter.begin(printer)) {
        MessageBox::warning(this, tr("تعذرت الطباعة على الطابعة %1").arg(printer->printerName()));
        return;
    }
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (i > 0 && !printer->newPage()) {
            printer->abort();
            painter.end();
            MessageBox::warning(this, tr("تعذرت طباعة الصفحة %1 فأوقفت الطباعة").arg(i + 1));
            return;
        }
        Printing::drawPage(painter, m_pages.at(i), m_programFolder);
    }
    painter.end();
}
