#pragma once

#include "SaneApi.h"
#include "ScanOption.h"
#include "base/Result.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <mutex>

// A scanner as SANE lists it.
struct ScanDevice
{
    QString name; // what sane_open takes ("test:0", "airscan:e0:Office MFP")
    QString vendor;
    QString model;
    QString type;
};

// What the device says of a page before it is read.
struct ScanPageInfo
{
    int page = 0;      // of this acquisition, from 1
    int width = 0;     // pixels
    int height = 0;    // -1 when the device does not know (a hand scanner)
    int depth = 0;     // bits per sample
    int channels = 1;  // 1 grey or line art, 3 colour
    bool threePass = false;
    qint64 expectedBytes = -1; // -1 when unknown
    double resolution = 0;
    // Bits per pixel of the page's picture (1 line art, 8 grey, 24 colour, 16 or 48 deep).
    int bitsPerPixel() const { return depth * channels; }
};

// How long a device that does not deliver is waited for before the acquisition gives up.
struct ScanLimits
{
    int parameterTries = 5;
    int parameterWaitMs = 200;
    int busyTries = 10;
    int busyWaitMs = 500;
    int stallMs = 30000;
};

// How an acquisition ended.
struct ScanOutcome
{
    enum class End { Finished, Cancelled, Failed };
    End end = End::Finished;
    int pages = 0; // taken into pictures
    QString message; // for Failed: the Arabic message with SANE's own reason
};

// The scanning client of the main window over SANE: the library opened at run time, one chosen
// device, its options, and the page loop. The four flags follow the life of a scan: the library
// open (sane_init), a device chosen, the device open (sane_open), and pages being read.
//
// Acquire() blocks while pages are read and runs on a reading thread; DecideTransfer, TakeImage
// and PageProgress are called on that thread. cancel() may be called from any thread.
class CTwain
{
    Q_DECLARE_TR_FUNCTIONS(CTwain)

public:
    enum Transfer { TransferImage = 0, SkipImage = 1, CancelAll = 2 };

    explicit CTwain(const QString &libraryFile = QString::fromLatin1(SaneLibrary::kDefaultFile));
    // A client over entry points of the caller's own (tests playing a misbehaving device).
    explicit CTwain(const SaneApi &api);
    virtual ~CTwain();
    CTwain(const CTwain &) = delete;
    CTwain &operator=(const CTwain &) = delete;

    // sane_init; true when the library and all its entries are there and SANE answered.
    bool Initialise();
    // Closes the device and sane_exit; safe to call again.
    void Release();

    bool isAvailable() const { return m_managerOpen; }
    bool isSourceSelected() const { return !m_source.isEmpty(); }
    bool isSourceOpen() const { return m_handle != nullptr; }
    bool isSourceEnabled() const { return m_enabled.load(); }
    // Why scanning is unavailable, in Arabic, with the library's own reason; empty when it is.
    QString unavailableNote() const;

    Result<QList<ScanDevice>> devices();
    // The remembered device when it is still there, else the first the library lists.
    bool SelectDefaultSource(const QString &remembered = {});
    // The user's choice from the list; closes an open device that is not the one chosen.
    bool ChooseSource(const QString &name);
    const QString &source() const { return m_source; }

    // Opens the chosen device (the default one when none was chosen) and reads its options.
    Status OpenDataSource(const QString &name = {});
    void CloseSource();

    const ScanOptions &options() const { return m_options; }
    Status setOption(const QString &name, const QVariant &value);
    // Sets remembered values in an order that lets each take: source and mode first (they change
    // what else is offered), then the rest, then resolution and scan area. Values the device
    // refuses now are left out, and so are their names in the answer.
    QStringList applyValues(const QVariantMap &values);
    // Every editable option's value, to be remembered.
    QVariantMap currentValues() const;

    // Reads pages from the open device (the default one is opened first when none is): one page
    // from a flatbed, pages until the device has no more documents from a feeder.
    ScanOutcome Acquire();
    void cancel();
    void setLimits(const ScanLimits &limits) { m_limits = limits; }

protected:
    // Before each page: 0 take it, 1 skip it (it is read and dropped), 2 end the acquisition.
    virtual int DecideTransfer(const ScanPageInfo &info);
    // A whole page as a picture.
    virtual void TakeImage(const QImage &image, const ScanPageInfo &info);
    // Bytes read of the page so far.
    virtual void PageProgress(const ScanPageInfo &info, qint64 bytesRead);

private:
    Status reloadOptions();
    SANE_Status startFrame();
    Status waitForParameters(SANE_Parameters &parameters);
    SANE_Status readFrame(const SANE_Parameters &parameters, ScanPageInfo &info, qint64 &pageBytes, QByteArray &bytes,
                          QString &problem);
    ScanOutcome endAcquisition(ScanOutcome outcome);
    QString deviceProblem(SANE_Status status) const;
    bool cancelled() const { return m_cancelled.load(); }

    std::unique_ptr<SaneLibrary> m_library;
    SaneApi m_api;
    QString m_libraryProblem;
    bool m_managerOpen = false;
    QString m_source;
    SANE_Handle m_handle = nullptr;
    ScanOptions m_options;
    ScanLimits m_limits;
    std::atomic<bool> m_enabled{false};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_readingLock; // between cancel() and the end of a reading
};
