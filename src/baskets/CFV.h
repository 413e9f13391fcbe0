#pragma once

#include "base/AppState.h"
#include "baskets/BasketPaging.h"
#include "baskets/BasketSource.h"
#include "baskets/FeedIndex.h"
#include "baskets/FeedPageLoader.h"
#include "cards/CardDraft.h"

#include <QWidget>

class CGridCtrl;
class QMenu;
class QPushButton;
class QTimer;

// The basket viewer: the items of one information feed, pictures and files as thumbnails in
// pages of twelve, or text messages, newest on top, kept up to date while the feed's writer adds
// to it. Made as the widget of an MDI child; the caller puts it in a sub-window and connects the
// request signals to the windows that carry them out.
class CFV : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPictureGridKind = 91;
    static constexpr int kTextGridKind = 920;
    static constexpr int kLiveUpdateMs = 1000;
    static constexpr int kStopWaitMs = FeedPageLoader::kStopWaitMs;

    // Context-menu commands.
    enum Command {
        CmdArchive = 32930,
        CmdPrint = 32931,
        CmdView = 32932,
        CmdTextArchive = 32956,
        CmdTextEdit = 32957,
        CmdTextTransfer = 32958,
        CmdTransfer = 32959,
    };

    // Shows the feed of `source` under its title. Starts loading when first shown.
    CFV(AppState &state, const BasketSource &source, QWidget *parent = nullptr);
    // Stops the loader (at most kStopWaitMs) and the timers.
    ~CFV() override;

    CGridCtrl *pictureGrid() const { return m_pictures; }
    CGridCtrl *textGrid() const { return m_texts; }

    // The page buttons.
    void showNewest();
    void showOldest();
    void showOlder();
    void showNewer();

    // The context menu of a grid kind; its actions carry their command id as data. The caller
    // owns it.
    QMenu *contextMenu(int gridKind);
    void runCommand(int command);

    // For the tests and the caller.
    BasketContent contentKind() const { return m_kind; }
    const FeedIndex &feed() const { return m_feed; }
    const BasketPaging::Pager &pager() const { return m_pager; }
    int knownTextCount() const { return m_knownTexts; }
    bool isLoading() const;
    QTimer *pictureTimer() const { return m_pictureTimer; }
    QTimer *textTimer() const { return m_textTimer; }
    QPushButton *newestButton() const { return m_newest; }
    QPushButton *olderButton() const { return m_older; }
    QPushButton *newerButton() const { return m_newer; }
    QPushButton *oldestButton() const { return m_oldest; }
    // How long the opens of one page, update or command may wait for files the writer holds.
    void setRetryBudget(int ms) { m_retryBudgetMs = ms; }
    QString rowPath(int row) const;

signals:
    void archiveFilesRequested(const QList<FileItem> &items);
    void archiveTextsRequested(const QList<TextItem> &texts);
    // Open as an image document.
    void viewRequested(const QString &path);
    // The preview window, description read from the file.
    void previewRequested(const QString &path, const QString &caption);
    // The caller shows the transfer dialog sending the file.
    void transferRequested(const QString &path);
    // The pictures of the highlighted rows, when the user may print; the caller opens their
    // print preview.
    void printRequested(const QStringList &paths);
    // A page of pictures has been loaded.
    void loadingFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // What the loader is reading for the window.
    enum class Loading { Nothing, Page, LivePictures, Texts, LiveText };

    void createGrids();
    void createButtons();
    void layoutChildren();
    void openPictures();
    void openTexts();

    void loadPage(FeedPageLoader::Move move);
    void onPaged(const BasketPaging::Pager &pager);
    // ">" and "<" lead only where there are records.
    void updatePageButtons();
    void onPictureRow(const FeedItem &item);
    void onTextRow(const FeedItem &item);
    void onLoaderFinished();

    void beginPage();
    void addPictureRow(const FeedItem &item);
    void trimPictureRows();
    void pictureLiveUpdate();
    void textLiveUpdate();

    void onDoubleClicked(int row, int column, int gridKind);
    void onRightClicked(int row, int column, int gridKind, const QPoint &globalPos);
    void archivePictures();
    void archiveTexts();
    // Print (32931): the selected pictures, for users with the print right.
    void printSelected();
    Status writeTextHandOff(const QString &text) const;
    // Writes the text for the text editor; a failure is shown to the user.
    void handTextToEditor(const QString &text);

    AppState &m_state;
    BasketContent m_kind = BasketContent::PicturesOrFiles;
    QString m_title;
    FeedIndex m_feed;
    BasketPaging::Pager m_pager;
    int m_knownTexts = 0;
    int m_retryBudgetMs = RetryingOpener::kDefaultBudgetMs;
    bool m_started = false;

    CGridCtrl *m_pictures = nullptr;
    CGridCtrl *m_texts = nullptr;
    QPushButton *m_newest = nullptr;
    QPushButton *m_older = nullptr;
    QPushButton *m_newer = nullptr;
    QPushButton *m_oldest = nullptr;
    QTimer *m_pictureTimer = nullptr;
    QTimer *m_textTimer = nullptr;

    FeedPageLoader *m_loader;
    Loading m_loading = Loading::Nothing;
    int m_textCount = 0;
};
