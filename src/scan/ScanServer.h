#pragma once

#include <QStringList>

// The scanning program's own work (dovrelle-scan): opens the device it is given, puts the values
// back, reads the pages and tells the window about them on its output (see ScanHandOff). The
// pages are read in a process of their own because a scanner's driver may hang or crash while a
// page is cancelled or read; the window then ends the process, and no document open in the
// window is at risk.
//   dovrelle-scan --device NAME --folder DIR [--library FILE] [--value NAME=VALUE]...
namespace ScanServer {

// Ends the process when the acquisition ends: 0, or 1 when it failed.
[[noreturn]] void run(const QStringList &arguments);

} // namespace ScanServer
