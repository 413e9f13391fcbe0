#pragma once

#include "scan/CTwain.h"

#include <QByteArray>
#include <QFile>
#include <QLibrary>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// SANE's own "test" backend as the scanner of a test program: a folder of the program's own with a
// dll.conf naming that backend alone and a test.conf, made once per process and named in
// SANE_CONFIG_DIR before the library first starts (SANE reads the variable once). Its two devices
// test:0 and test:1 give letter-size pages (8.5 x 11 in) of a colour pattern, grey at 50 dpi until
// a test chooses otherwise.
namespace SaneTestBackend {

// Empty when the test backend answers; otherwise why it cannot be used, for GTEST_SKIP.
inline QString prepare()
{
    static std::unique_ptr<QTemporaryDir> folder;
    static QString problem;
    static bool done = false;
    if (done)
        return problem;
    done = true;
    folder = std::make_unique<QTemporaryDir>();
    QFile dll(folder->filePath(QStringLiteral("dll.conf")));
    QFile test(folder->filePath(QStringLiteral("test.conf")));
    if (!folder->isValid() || !dll.open(QIODevice::WriteOnly) || !test.open(QIODevice::WriteOnly)) {
        problem = QStringLiteral("the SANE configuration folder could not be written");
        return problem;
    }
    dll.write("test\n");
    test.write("number_of_devices 2\n"
               "mode Gray\n"
               "depth 8\n"
               "resolution_min 1.0\n"
               "resolution_max 1200.0\n"
               "resolution_quant 1.0\n"
               "resolution 50.0\n"
               "test-picture \"Color pattern\"\n"
               "geometry_min 0.0\n"
               "geometry_max 300.0\n"
               "geometry_quant 0.0\n"
               "tl_x 0.0\n"
               "tl_y 0.0\n"
               "br_x 215.9\n"
               "br_y 279.4\n");
    dll.close();
    test.close();
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder->path()));
    // SANE unloads its backends at sane_exit; held here, the test backend stays mapped so that
    // what it keeps for the life of the process is told by name (tests/lsan.supp) and not taken
    // for a leak of an unknown module.
    static QLibrary backend(QStringLiteral("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1"));
    backend.setLoadHints(QLibrary::PreventUnloadHint);
    backend.load();
    CTwain probe;
    if (!probe.Initialise()) {
        problem = QStringLiteral("SANE is not usable here: ") + probe.unavailableNote();
        return problem;
    }
    const auto devices = probe.devices();
    bool found = false;
    for (const ScanDevice &d : devices ? *devices : QList<ScanDevice>{})
        found = found || d.name == QStringLiteral("test:0");
    if (!found)
        problem = QStringLiteral("SANE's test backend is not installed (package libsane1 brings it)");
    return problem;
}

} // namespace SaneTestBackend

#define REQUIRE_SANE_TEST_BACKEND()                                                                                    \
    do {                                                                                                               \
        if (const QString why = SaneTestBackend::prepare(); !why.isEmpty())                                           \
            GTEST_SKIP() << "SKIPPED: " << why.toStdString();                                                          \
    } while (false)
