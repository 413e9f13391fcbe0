#include "CDemoDoc.h"

#include "imaging/ImageTypes.h"
#include "imaging/QuickJpeg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kStopWaitMs = 2000;
}

CDemoDoc::CDemoDoc(QObject *parent) : QObject(parent)
{
    ImageDocument::initialiseLibrary();
    m_poll.setInterval(kProgressPollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] { emit progressed(m_progress.percent); });
}

CDemoDoc::~CDemoDoc()
{
    if (m_worker) {
        m_progress.cancelled = true;
        m_worker->wait(kStopWaitMs);
        if (m_worker->isRunning())
            m_worker->wait(); // the library checks the flag between rows; it does stop
        delete m_worker;
    }
}

void CDemoDoc::setTitle(const QString &title)
{
    m_title = title;
    emit titleChanged(title);
}

void CDemoDoc::setPicture(const Magick::Image &picture, int type)
{
    m_core.setPicture(picture, type);
    m_screen = ImageDocument::toQImage(picture);
    emit changed(kHintPicture);
}

void CDemoDoc::change(const Magick::Image &picture)
{
    m_core.change(picture);
    m_screen = ImageDocument::toQImage(picture);
    emit changed(kHintPicture);
}

Status CDemoDoc::load(const QString &path, int frame)
{
    const Status loaded = m_core.load(path, frame);
    if (!loaded) {
        m_screen = QImage();
        return loaded;
    }
    m_path = frame == 0 ? QFileInfo(path).absoluteFilePath() : QString();
    m_screen = ImageDocument::toQImage(m_core.picture());
    emit changed(kHintPicture);
    return {};
}

Status CDemoDoc::open(const QString &path, int frame)
{
    if (frame != 0 || isBusy() || hasPicture())
        return load(path, frame);
    QElapsedTimer timer;
    timer.start();
    QImage quick = ImageTypes::typeOfName(path) == ImageTypes::kJpeg ? QuickJpeg::decode(path) : QImage();
    if (quick.isNull())
        return load(path, frame);
    m_screen = quick;
    m_path = QFileInfo(path).absoluteFilePath();
    m_progress.reset();
    const qint64 quickNs = timer.nsecsElapsed();
    m_worker = QThread::create([this, path, quick, quickNs] {
        QElapsedTimer reading;
        reading.start();
        ImageDocument read;
        const Status status = read.load(path, 0, &m_progress);
        QImage screen = quick;
        if (status && !m_progress.cancelled && !QuickJpeg::matches(quick, read.picture()))
            screen = ImageDocument::toQImage(read.picture());
        if (status)
            read.setSeconds(double(quickNs + reading.nsecsElapsed()) / 1e9);
        m_progress.percent = 100;
        QMetaObject::invokeMethod(this, [this, status, read, screen] { finishRead(status, read, screen); },
                                  Qt::QueuedConnection);
    });
    m_worker->start();
    startPolling();
    emit changed(kHintPicture);
    return {};
}

void CDemoDoc::finishRead(const Status &read, const ImageDocument &picture, const QImage &screen)
{
    endWorker();
    const bool cancelled = m_progress.cancelled;
    if (read && !cancelled) {
        m_core.setPicture(picture.picture(), picture.type());
        m_core.setSeconds(picture.seconds());
        m_screen = screen;
    } else {
        m_screen = QImage();
        m_path.clear();
    }
    emit progressed(100);
    emit busyChanged(false);
    emit changed(kHintPicture);
    if (!read || cancelled)
        emit readFailed(cancelled ? QString() : read.error());
}

void CDemoDoc::startPolling()
{
    m_poll.start();
    emit busyChanged(true);
    emit progressed(0);
}

void CDemoDoc::endWorker()
{
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    m_poll.stop();
}

Status CDemoDoc::saveAs(const QString &path)
{
    const Status saved = m_core.save(path);
    if (saved) {
        m_path = QFileInfo(path).absoluteFilePath();
        setTitle(QFileInfo(path).fileName());
    }
    return saved;
}

bool CDemoDoc::undo()
{
    if (isBusy() || !m_core.undo())
        return false;
    m_screen = ImageDocument::toQImage(m_core.picture());
    emit changed(kHintPicture);
    return true;
}

bool CDemoDoc::redo()
{
    if (isBusy() || !m_core.redo())
        return false;
    m_screen = ImageDocument::toQImage(m_core.picture());
    emit changed(kHintPicture);
    return true;
}

bool CDemoDoc::runOnWorker(const QString &name, Operation operation)
{
    Q_UNUSED(name)
    if (isBusy() || !hasPicture())
        return false;
    m_progress.reset();
    const Magick::Image picture = m_core.picture();
    m_worker = QThread::create([this, picture, operation] {
        QElapsedTimer timer;
        timer.start();
        Result<Magick::Image> result = operation(picture, m_progress);
        QImage screen;
        if (result && !m_progress.cancelled)
            screen = ImageDocument::toQImage(*result);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        m_progress.percent = 100;
        QMetaObject::invokeMethod(this, [this, result, screen, seconds] { finish(result, screen, seconds); },
                                  Qt::QueuedConnection);
    });
    m_worker->start();
    startPolling();
    return true;
}

void CDemoDoc::cancel()
{
    if (m_worker)
        m_progress.cancelled = true;
}

void CDemoDoc::finish(const Result<Magick::Image> &result, const QImage &screen, double seconds)
{
    endWorker();
    QString error;
    // A cancelled run leaves the picture as it was and no undo step behind.
    if (!m_progress.cancelled) {
        if (result) {
            m_core.change(*result);
            m_screen = screen;
            m_core.setSeconds(seconds);
        } else {
            error = result.error();
        }
    }
    emit progressed(100);
    emit busyChanged(false);
    if (result && !m_progress.cancelled)
        emit changed(kHintPicture);
    emit workFinished(error);
}
