#include "CWebPageView.h"

#include "base/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cctype>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A saved page always gets this suffix, whatever the chosen name ends in.
constexpr auto kSavedPageSuffix = ".htm"_L1;
// The suffixes by which the browser recognises a web archive on disk.
constexpr QStringView kArchiveSuffixes[] = {u"mht", u"mhtml"};
constexpr QChar kLeftToRightIsolate = u'\u2066';
constexpr QChar kPopIsolate = u'\u2069';
// Names in the view's own folder: the alias of a web archive on show, and the browser's output.
constexpr auto kAliasName = "shown.mhtml"_L1;
constexpr auto kWorkFileName = "saved-%1.mhtml"_L1;
constexpr QStringView kWebSchemes[] = {u"http://", u"https://", u"ftp://", u"file:"};
// A web archive's MIME header is short; this much of the file is enough to recognise it.
constexpr qint64 kHeaderProbeBytes = 16 * 1024;
constexpr qint64 kCopyChunkBytes = 1024 * 1024;

bool hasArchiveSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (QStringView known : kArchiveSuffixes) {
        if (suffix.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// A header line is "Name: value"; a line starting with blank space continues the one before.
bool isHeaderLine(QByteArrayView line, bool first)
{
    if (!first && !line.isEmpty() && (line.front() == ' ' || line.front() == '\t'))
        return true;
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    for (char c : line.first(colon)) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-'))
            return false;
    }
    return true;
}

QString sameFileKey(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

} // namespace

CWebPageView::CWebPageView(const QString &webAddress, QWidget *parent)
    : QWidget(parent), m_webAddress(webAddress), m_view(new QWebEngineView(this))
{
    // Paths and addresses read left to right; without the isolate a right-to-left caption shows
    // "/srv/page.htm" as "srv/page.htm/".
    setWindowTitle(kLeftToRightIsolate + m_webAddress + kPopIsolate);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    connect(m_view, &QWebEngineView::loadStarted, this, [this] { m_loaded = false; });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_loaded = ok;
        emit loadFinished(ok);
    });
    connect(m_view->page()->profile(), &QWebEngineProfile::downloadRequested, this,
            &CWebPageView::onDownloadRequested);

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kDefaultSaveTimeout);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] {
        failSave(tr("انتهت مهلة حفظ الصفحة قبل أن يكتمل الملف: %1").arg(m_target));
    });
}

CWebPageView::~CWebPageView()
{
    endSave();
}

void CWebPageView::setSaveTimeout(std::chrono::milliseconds timeout)
{
    m_saveTimer.setInterval(timeout);
}

QUrl CWebPageView::urlForAddress(const QString &webAddress)
{
    for (QStringView scheme : kWebSchemes) {
        if (webAddress.startsWith(scheme, Qt::CaseInsensitive)) {
            QString address = webAddress;
            if (!scheme.startsWith(u"file"))
                address.replace(u'\\', u'/');
            return QUrl(address, QUrl::TolerantMode);
        }
    }
    return QUrl::fromLocalFile(QFileInfo(webAddress).absoluteFilePath());
}

QString CWebPageView::savedPagePath(const QString &chosenPath)
{
    return chosenPath + kSavedPageSuffix;
}

bool CWebPageView::isWebArchive(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kHeaderProbeBytes);

    bool mimeVersion = false;
    bool multipartRelated = false;
    qsizetype start = 0;
    while (start < head.size()) {
        qsizetype end = head.indexOf('\n', start);
        if (end < 0)
            end = head.size();
        QByteArrayView line = QByteArrayView(head).sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break; // the end of the header
        if (!isHeaderLine(line, start == 0))
            return false;
        const QByteArray lower = line.toByteArray().toLower();
        mimeVersion = mimeVersion || lower.startsWith("mime-version:");
        multipartRelated = multipartRelated || lower.contains("multipart/related");
        start = end + 1;
    }
    return mimeVersion && multipartRelated;
}

void CWebPageView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_navigated)
        navigate();
}

void CWebPageView::navigate()
{
    m_navigated = true;
    QUrl url = urlForAddress(m_webAddress);
    if (url.isLocalFile()) {
        m_localFile = url.toLocalFile();
        // The browser takes a file for a web archive only by its suffix, and pages saved here
        // end in ".htm": such a file is shown through an alias that carries the right suffix.
        if (!hasArchiveSuffix(m_localFile) && isWebArchive(m_localFile)) {
            const QString alias = archiveAlias(m_localFile);
            if (!alias.isEmpty())
                url = QUrl::fromLocalFile(alias);
        }
    }
    m_loadedUrl = url;
    m_view->load(url);
}

QTemporaryDir *CWebPageView::workDir()
{
    if (!m_workDir) {
        m_workDir = std::make_unique<QTemporaryDir>();
        if (!m_workDir->isValid()) {
            m_workDir.reset();
            return nullptr;
        }
    }
    return m_workDir.get();
}

QString CWebPageView::archiveAlias(const QString &archive)
{
    QTemporaryDir *dir = workDir();
    if (!dir)
        return {};
    const QString alias = dir->filePath(kAliasName);
    QFile::remove(alias);
    // The browser resolves symbolic links before it looks at the suffix, so the alias is a hard
    // link, or a copy where the archive lies on another file system.
    if (::link(QFile::encodeName(archive).constData(), QFile::encodeName(alias).constData()) == 0
        || QFile::copy(archive, alias))
        return alias;
    return {};
}

// The local web archive on show, if the page on show is one.
QString CWebPageView::shownArchive() const
{
    const QUrl url = m_view->url();
    if (!url.isLocalFile())
        return {};
    const QString shown = url.toLocalFile();
    const QString file = m_loadedUrl.isLocalFile() && shown == m_loadedUrl.toLocalFile()
                                 ? m_localFile
                                 : shown;
    return isWebArchive(file) ? file : QString();
}

void CWebPageView::savePage(const QString &chosenPath)
{
    if (isSaving()) {
        emit saveFailed(tr("ما زال حفظ سابق للصفحة جارياً"));
        return;
    }
    if (chosenPath.isEmpty()) {
        emit saveFailed(tr("لم يحدد اسم الملف الذي تحفظ فيه الصفحة"));
        return;
    }
    const QFileInfo target(savedPagePath(chosenPath));
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        emit saveFailed(tr("المجلد غير موجود أو لا تمكن الكتابة فيه: %1").arg(folder.filePath()));
        return;
    }
    m_target = target.absoluteFilePath();

    // The browser cannot write a web archive of a page that is itself one: the original file
    // is the archive.
    const QString archive = shownArchive();
    if (!archive.isEmpty()) {
        placeFile(archive);
        return;
    }
    if (!m_loaded) {
        failSave(tr("لم يكتمل تحميل الصفحة، فلا يمكن حفظها"));
        return;
    }
    // The browser writes into a folder of this view, which always exists (the engine crashes
    // when told to write into a missing folder), and the file goes to its place only once it is
    // complete.
    QTemporaryDir *dir = workDir();
    if (!dir) {
        failSave(tr("تعذر إنشاء مجلد مؤقت لحفظ الصفحة"));
        return;
    }
    m_workFile = dir->filePath(QString(kWorkFileName).arg(++m_workFileCount));
    m_saveTimer.start();
    m_view->page()->save(m_workFile, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
}

void CWebPageView::onDownloadRequested(QWebEngineDownloadRequest *request)
{
    if (m_workFile.isEmpty() || m_download || request->page() != m_view->page()
        || !request->isSavePageDownload())
        return;
    // A request left over from a save that was given up goes to another file.
    if (QDir(request->downloadDirectory()).filePath(request->downloadFileName()) != m_workFile)
        return;
    m_download = request;
    connect(request, &QWebEngineDownloadRequest::stateChanged, this,
            &CWebPageView::onDownloadStateChanged);
    request->accept();
    onDownloadStateChanged();
}

void CWebPageView::onDownloadStateChanged()
{
    if (!m_download)
        return;
    const QWebEngineDownloadRequest::DownloadState state = m_download->state();
    if (state == QWebEngineDownloadRequest::DownloadRequested
        || state == QWebEngineDownloadRequest::DownloadInProgress)
        return;
    const QString reason = m_download->interruptReasonString();
    disconnect(m_download, nullptr, this, nullptr);
    m_download = nullptr;
    if (state == QWebEngineDownloadRequest::DownloadCompleted)
        placeFile(m_workFile);
    else
        failSave(tr("تعذر حفظ الصفحة في الملف: %1\n%2").arg(m_target, reason));
}

// Copies a finished web archive to the target, replacing the target only when the copy is whole.
void CWebPageView::placeFile(const QString &source)
{
    if (!isWebArchive(source)) {
        failSave(tr("الملف المكتوب ليس أرشيف صفحة ويب: %1").arg(source));
        return;
    }
    if (sameFileKey(source) == sameFileKey(m_target)) {
        finishSave();
        return;
    }
    QFile in(source);
    QSaveFile out(m_target);
    if (!in.open(QIODevice::ReadOnly)) {
        failSave(tr("تعذرت قراءة الملف: %1\n%2").arg(source, in.errorString()));
        return;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        failSave(tr("تعذرت كتابة الملف: %1\n%2").arg(m_target, out.errorString()));
        return;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kCopyChunkBytes);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    if (in.error() != QFileDevice::NoError || !commitWhole(out)) {
        const QString error = in.error() != QFileDevice::NoError ? in.errorString()
                                                                 : out.errorString();
        failSave(tr("تعذرت كتابة الملف: %1\n%2").arg(m_target, error));
        return;
    }
    finishSave();
}

void CWebPageView::finishSave()
{
    const QFileInfo target(m_target);
    if (!target.isFile() || target.size() <= 0) {
        failSave(tr("لم يكتب ملف الصفحة: %1").arg(m_target));
        return;
    }
    QString folder = target.absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString name = target.fileName();
    endSave();
    emit pageSaved(folder, name);
}

void CWebPageView::failSave(const QString &message)
{
    endSave();
    emit saveFailed(message);
}

void CWebPageView::endSave()
{
    m_saveTimer.stop();
    if (m_download) {
        disconnect(m_download, nullptr, this, nullptr);
        if (!m_download->isFinished())
            m_download->cancel();
        m_download = nullptr;
    }
    if (!m_workFile.isEmpty())
        QFile::remove(m_workFile);
    m_workFile.clear();
    m_target.clear();
}
