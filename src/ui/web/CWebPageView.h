#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <memory>

class QShowEvent;
class QTemporaryDir;
class QWebEngineDownloadRequest;
class QWebEngineView;

// A child window showing one web page or web archive. It loads its address the first time it is
// shown and saves what it shows as a web archive (MHTML) so that the card being entered can take
// the file as an item.
class CWebPageView : public QWidget
{
    Q_OBJECT

public:
    // How long a save may run before it is given up.
    static constexpr std::chrono::milliseconds kDefaultSaveTimeout = std::chrono::seconds(30);

    // The address is a local file path or an "http://…" address; the caption shows it, set off
    // to read left to right.
    explicit CWebPageView(const QString &webAddress, QWidget *parent = nullptr);
    ~CWebPageView() override;

    QString webAddress() const { return m_webAddress; }
    QWebEngineView *webView() const { return m_view; }
    bool isSaving() const { return !m_target.isEmpty(); }
    void setSaveTimeout(std::chrono::milliseconds timeout);

    // What the browser loads for an address: "http://", "https://", "ftp://" and "file:" addresses
    // as written (a backslash read as "/"), anything else as a local file, made absolute.
    static QUrl urlForAddress(const QString &webAddress);
    // The file a page saved under the chosen path is written to.
    static QString savedPagePath(const QString &chosenPath);
    // Whether the file is a web archive, told by its MIME header rather than by its name.
    static bool isWebArchive(const QString &path);

public slots:
    // Writes the shown page as a web archive to savedPagePath(chosenPath). Exactly one of
    // pageSaved and saveFailed follows, possibly before this call returns, unless the view is
    // closed first.
    void savePage(const QString &chosenPath);

signals:
    void loadFinished(bool ok);
    // The file is completely written: folder ends in "/", fileName is the name in it.
    void pageSaved(const QString &folder, const QString &fileName);
    void saveFailed(const QString &message);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void navigate();
    QTemporaryDir *workDir();
    QString archiveAlias(const QString &archive);
    QString shownArchive() const;
    void onDownloadRequested(QWebEngineDownloadRequest *request);
    void onDownloadStateChanged();
    void placeFile(const QString &source);
    void finishSave();
    void failSave(const QString &message);
    void endSave();

    QString m_webAddress;
    QWebEngineView *m_view;
    bool m_navigated = false;
    bool m_loaded = false;
    // What was loaded for the address, and the local file behind it when there is one.
    QUrl m_loadedUrl;
    QString m_localFile;
    // Holds the browser's own output and the aliases of web archives.
    std::unique_ptr<QTemporaryDir> m_workDir;
    int m_workFileCount = 0;

    // The save under way: its final path, where the browser writes it and the browser's request.
    QString m_target;
    QString m_workFile;
    QPointer<QWebEngineDownloadRequest> m_download;
    QTimer m_saveTimer;
};
