#pragma once

#include "base/Result.h"
#include "imaging/ImageDocument.h"
#include "imaging/ImageProgress.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QThread;

// One image window's document: the picture with its undo steps, its file and title, and the one
// worker that runs a long operation while the document is busy. Views show `screenImage()`,
// which the worker makes next to the changed picture, so the window never converts pixels.
class CDemoDoc : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHintPicture = 1025; // the picture object changed
    static constexpr int kHintDisplay = 0;    // only how it is shown changed
    static constexpr int kProgressPollMs = 333;

    // A long operation: from the picture to the changed one, reporting through `progress` and
    // stopping early when it is cancelled.
    using Operation = std::function<Result<Magick::Image>(const Magick::Image &, ImageProgress &)>;

    explicit CDemoDoc(QObject *parent = nullptr);
    ~CDemoDoc() override;

    ImageDocument &core() { return m_core; }
    const ImageDocument &core() const { return m_core; }
    bool hasPicture() const { return m_core.hasPicture(); }
    const QImage &screenImage() const { return m_screen; }

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QString path() const { return m_path; }

    void setPicture(const Magick::Image &picture, int type);
    // Every change made on the window's own thread: an undo step, then the new picture.
    void change(const Magick::Image &picture);
    // Reads the file at once (tests, the command line, further frames).
    Status load(const QString &path, int frame);
    // Opens the file for a window. A plain JPEG page shows at once from Qt's decoder while the
    // library reads the picture that is edited on the worker; the document is busy until then,
    // and the screen image is checked against that picture (and replaced should it differ).
    // Every other file reads as load() does. Escape during the read cancels it: the document then
    // has no picture and emits readFailed with an empty message, and its windows close.
    Status open(const QString &path, int frame);
    Status saveAs(const QString &path);
    bool undo();
    bool redo();

    bool isBusy() const { return m_worker != nullptr; }
    int progress() const { return m_progress.percent; }
    // Starts the operation on the worker; false when busy or without a picture.
    bool runOnWorker(const QString &name, Operation operation);
    // Escape while busy: the running operation stops and its result is thrown away.
    void cancel();

signals:
    void changed(int hint);
    void titleChanged(const QString &title);
    void busyChanged(bool busy);
    void progressed(int percent);
    // The worker ended; an empty message when it changed the picture or was cancelled.
    void workFinished(const QString &error);
    // The background read of open() failed (its message) or was cancelled (empty): the document
    // has no picture to edit.
    void readFailed(const QString &error);

private:
    void finish(const Result<Magick::Image> &result, const QImage &screen, double seconds);
    void finishRead(const Status &read, const ImageDocument &picture, const QImage &screen);
    void startPolling();
    void endWorker();

    ImageDocument m_core;
    QImage m_screen;
    QString m_title;
    QString m_path;
    QThread *m_worker = nullptr;
    ImageProgress m_progress;
    QTimer m_poll;
};
