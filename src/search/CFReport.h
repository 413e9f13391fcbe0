#pragma once

#include "base/AppState.h"
#include "base/Result.h"
#include "db/Database.h"
#include "db/SqlCondition.h"
#include "search/QueryBuilder.h"
#include "search/ReportLoader.h"

#include <QWidget>

#include <memory>

class CGridCtrl;
class PrintHandOver;
class QMenu;
class QPrinter;
class QDialog;
class QPushButton;
class QSplitter;

// The report of a search: the thumbnail grid of files, images and folders on the left and the
// grid of text hits on the right, filled by a ReportLoader while the window can be used. Made as
// the widget of an MDI child; the caller puts it in a sub-window and connects the request
// signals (show card, view, preview) to the windows that carry them out. Printing is done here:
// the pictures of the hits one to a page, every other file through the print command.
class CFReport : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kThumbnailGridKind = 7791;
    static constexpr int kTextGridKind = 7795;

    // Context-menu commands.
    enum Command {
        CmdPrintSelected = 32940,
        CmdTextEdit = 32942,
        CmdTextShowCard = 32943,
        CmdView = 32944,
        CmdOpen = 32945,
        CmdImageToEditor = 32946,
        CmdShowCard = 32947,
        CmdCopyToFolder = 32961,
        CmdPrintAll = 57607,
    };

    CFReport(AppState &state, Database db, SqlCondition where, const QString &title, QWidget *parent = nullptr);
    CFReport(AppState &state, Database db, const BuiltQuery &query, const QString &title, QWidget *parent = nullptr);
    ~CFReport() override;

    CGridCtrl *thumbnailGrid() const { return m_thumbnails; }
    CGridCtrl *textGrid() const { return m_texts; }
    QSplitter *splitter() const { return m_split; }
    // The window a double-clicked text hit shows its text in; null before the first.
    QDialog *hitTextWindow() const { return m_hitText; }
    ReportLoader *loader() const { return m_loader; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *resumeButton() const { return m_resume; }

    // The context menu of a grid kind; its actions carry their command id as data. The caller
    // owns it.
    QMenu *contextMenu(int gridKind);
    void runCommand(int command);

    // The hand-off files under the program folder.
    QString textHandOffPath() const;
    QString imageHandOffPath() const;
    // Replaces the text hand-off file by the text, every line feed written as CR LF.
    Status writeTextHandOff(const QString &text) const;
    // Writes the text for the text editor; a failure is shown to the user.
    void handTextToEditor(const QString &text);
    // The file decoded, resampled to 300 wide (nearest pixel) and saved as JPEG in the image
    // hand-off file.
    Status writeImageHandOff(const QString &path) const;

    // Printing goes to this printer without the print dialog (tests, or a caller that has chosen
    // the printer already); null, the default, asks the user in the print dialog each time.
    void setPrinter(QPrinter *printer) { m_printer = printer; }
    // The program's printer (Print Setup): the print dialog starts from it and what is chosen
    // there stays for the next print.
    void setProgramPrinter(QPrinter *printer) { m_programPrinter = printer; }
    // The pictures of the last print, one page each, and the selection mode it ran with.
    const QStringList &printList() const { return m_printList; }
    int printSelectionMode() const { return m_printMode; }
    // From the print dialog's answer until the print has ended (printEnded).
    bool isPrinting() const { return m_printing; }

    // The path, keywords, description and card number of a row of the thumbnail grid.
    QString rowPath(int row) const;
    int rowCard(CGridCtrl *grid, int row) const;

signals:
    void showCardRequested(int card);
    void viewRequested(const QString &path);
    // The preview window in its report mode: the file, its keywords as caption, its description.
    void previewRequested(const QString &path, const QString &caption, const QString &description);
    void loadingFinished();
    // A print has ended: its pages are printed and what went wrong has been shown.
    void printEnded();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createGrids();
    void layoutChildren();
    void addImageRow(const ReportHit &hit, const QImage &thumbnail);
    void addTextRow(const ReportHit &hit);
    // The height that shows a few lines of a text hit.
    int textRowHeight(const QString &text) const;
    // The whole text of a text hit in a window of its own, its keywords as the caption.
    void showHitText(int row);
    void onDoubleClicked(int row, int column, int gridKind);
    void onRightClicked(int row, int column, int gridKind, const QPoint &globalPos);
    void printDirectly();
    // The selected file hits go to the second copier, the selected texts become text files.
    void copyToFolder();
    // The pictures one to a page, then what went wrong in the whole print.
    void printPagesAndReport(QPrinter &printer);
    bool printPages(QPrinter &printer);

    AppState &m_state;
    ReportLoader *m_loader = nullptr;
    CGridCtrl *m_thumbnails = nullptr;
    CGridCtrl *m_texts = nullptr;
    QSplitter *m_split = nullptr;
    bool m_splitPlaced = false;
    QDialog *m_hitText = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_resume = nullptr;
    bool m_started = false;

    QPrinter *m_printer = nullptr;
    QPrinter *m_programPrinter = nullptr;
    QStringList m_printList;
    int m_printMode = 0;
    bool m_printing = false;
    // The printer of a print dialog opened for this print, kept until the print has ended.
    std::unique_ptr<QPrinter> m_chosenPrinter;
    PrintHandOver *m_handOver = nullptr;
    QStringList m_printFailures;
};
