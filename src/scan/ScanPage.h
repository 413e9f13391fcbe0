#pragma once

#include <sane/sane.h>

#include <QByteArray>
#include <QImage>
#include <QList>

// One page as the device sent it: one frame (grey or colour), or three (red, green and blue) from
// a device that scans once per colour. The bytes stay as SANE delivered them until the page is
// whole; only then does it become a picture, so a page cut short never reaches a window.
class ScanPage
{
public:
    struct Frame
    {
        SANE_Parameters parameters{};
        QByteArray bytes;
    };

    void addFrame(const SANE_Parameters &parameters, QByteArray bytes);
    const QList<Frame> &frames() const { return m_frames; }
    // Whether the frames make a whole page: a grey or colour frame, or all three colour passes.
    bool isComplete() const;

    // The page as a picture: grey as 8- or 16-bit grey, colour as 24-bit or 64-bit RGB, line art
    // as a two-colour picture where SANE's 1 is black. Null when the page is not whole or its
    // rows do not fit what the device said of them.
    QImage image() const;

    // Rows a frame holds: what the device announced, or, when it did not know (a hand scanner
    // says -1), what arrived.
    static int rowsOf(const Frame &frame);

private:
    QList<Frame> m_frames;
};
