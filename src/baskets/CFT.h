#pragma once

#include "base/AppState.h"
#include "baskets/BasketSource.h"
#include "baskets/FolderSheetLoader.h"
#include "cards/CardDraft.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

class CGridCtrl;
class QMenu;

// The thumbnail browser: every file of one folder as a sheet of thumbnails, four to a row, each
// with its name in the row below. Opened for the current user's received files or for a feed
// without an index file; the basket it shows is given when it is made.
// Made as the widget of an MDI child; the caller connects the request signals.
//
// The sheet is listed and its thumbnails made by a FolderSheetLoader started when the window is
// first shown; files that arrive later show only in a new window.
class CFT : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kGridKind = 910;
    static constexpr int kMenuId = 193;
    static constexpr int kColumns = FolderSheetLoader::kColumns;
    static constexpr int kThumbnailSlots = FolderSheetLoader::kThumbnailSlots;
    static constexpr int kStopWaitMs = FolderSheetLoader::kStopWaitMs;

    // Context-menu commands.
    enum Command {
        CmdArchive = 32950,
        CmdView = 32951,
        CmdPrint = 32952,
        CmdTransfer = 32953,
        CmdDeleteAll = 32955,
    };

    CFT(AppState &state, const BasketSource &source, QWidget *parent = nullptr);
    ~CFT() override;

    CGridCtrl *grid() const { return m_grid; }
    const QString &folder() const { return m_folder; }
    bool isReceivedFiles() const { return m_receivedFiles; }
    bool isLoading() const;

    // Lists the folder again and makes the thumbnails; a running load is stopped first.
    void startLoading();
    // Asks the worker to stop and waits for it, at most kStopWaitMs. True when it has ended.
    bool stopLoading();

    // The context menu (menu 193); its actions carry their command id as data. The caller owns it.
    QMenu *contextMenu();
    void runCommand(int command);

    // The file of a cell: the name in the name row of the cell's pair; empty for a filler.
    QString fileNameAt(int row, int column) const;
    // The selected thumbnails as card-list items, row by row and left to right. Fillers are
    // passed over; files no longer in the folder are left out and named in `gone`.
    QList<FileItem> selectedFiles(QStringList *gone = nullptr) const;

    // The text after the last "."; empty when there is none.
    static QString extensionOf(const QString &name);
    // Whether the browser makes the thumbnail from the file itself (the extension as written).
    static bool isPictureExtension(const QString &extension);
    // The icon under the program folder for a file that is not a picture ("/COM/ICONS/...").
    static QString iconFile(const QString &extension);

signals:
    void archiveFilesRequested(const QList<FileItem> &items);
    void viewRequested(const QString &path);
    void transferRequested(const QString &path);
    void loadingFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void onListed(const QStringList &names);
    void onThumbnail(int slot, const QImage &thumbnail);
    void onRightClicked(int row, int column, int gridKind, const QPoint &globalPos);
    void deleteAll();
    QString currentFileName() const;
    QString pathOf(const QString &name) const;
    void clearSheet();

    AppState &m_state;
    QString m_title;
    QString m_folder;
    bool m_receivedFiles = false;
    bool m_started = false;
    CGridCtrl *m_grid;
    FolderSheetLoader *m_loader;
};
