#pragma once

#include "search/Printing.h"

#include <QPointer>
#include <QPrintPreviewDialog>
#include <QStringList>

struct AppState;
class QPrinter;

// The print preview of a basket viewer: one page per picture, each at its physical size, from
// which the user prints. The main window is hidden while the preview is open and comes back when
// it closes.
class CViewPrintPreview : public QPrintPreviewDialog
{
    Q_OBJECT

public:
    // Keeps the candidates that are pictures and shows their preview, captioned with the title.
    // While a preview is open another call only brings it forward. With no picture among the
    // candidates the user is told so and no preview opens. Without the print right the user is
    // told so and nothing opens.
    static void open(const AppState &state, PrintSource source, const QString &title,
                     const QStringList &candidatePaths, QWidget *mainWindow);

    // The preview open now, if any.
    static CViewPrintPreview *current();

    const QStringList &pages() const { return m_pages; }
    // The window whose pictures these are.
    PrintSource source() const { return m_source; }
    ~CViewPrintPreview() override;

private:
    CViewPrintPreview(PrintSource source, QStringList pages, QString programFolder, QWidget *mainWindow);
    void paintPages(QPrinter *printer);

    PrintSource m_source;
    QStringList m_pages;
    QString m_programFolder;
    QPointer<QWidget> m_mainWindow;
};
