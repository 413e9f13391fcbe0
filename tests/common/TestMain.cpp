#include "TestArchive.h"
#include "base/TimeZoneFile.h"

#include <gtest/gtest.h>

#ifdef DOVRELLE_GUI_TEST
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    readTimeZoneOnce();
    enterTestTempFolder();
    ::testing::InitGoogleTest(&argc, argv);
#ifdef DOVRELLE_GUI_TEST
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                      : qgetenv("QT_QPA_PLATFORM"));
#endif
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("dovrelle-tests"));
    return RUN_ALL_TESTS();
}
