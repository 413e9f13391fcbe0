// The main window's placement on a real X server with a window manager, where windows have frames.
// The program starts its own Xvfb and openbox (or uses the display named by DOVRELLE_TEST_DISPLAY,
// which must have a window manager running) before the Qt application exists.

#include "app/ArchiveSetup.h"
#include "app/CMainFrame.h"
#include "app/Profile.h"
#include "common/MainWindowFixture.h"
#include "common/TestArchive.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

#include <csignal>
#include <sys/prctl.h>

// libxkbcommon-x11 hands strndup a buffer that has its length but no terminating zero; with strict
// string checks the sanitizer reads past it and aborts before the first window opens.
extern "C" const char *__asan_default_options()
{
    return "intercept_strndup=0";
}

namespace {

// Why the tests cannot run, when they cannot.
QString g_skipReason;

// An X server with a window manager for the life of the program.
class XDisplay
{
public:
    XDisplay()
    {
        const QByteArray given = qgetenv("DOVRELLE_TEST_DISPLAY");
        if (!given.isEmpty()) {
            m_display = QString::fromLocal8Bit(given);
            return;
        }
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || openbox.isEmpty()) {
            m_problem = QStringLiteral("Xvfb or openbox is not installed (apt-get install xvfb openbox)");
            return;
        }
        // A display number nobody uses.
        int number = 70 + int(QCoreApplication::applicationPid() % 200);
        while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
               || QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            ++number;
        m_display = QStringLiteral(":%1").arg(number);
        m_server.setProgram(xvfb);
        m_server.setArguments({m_display, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1400x900x24"),
                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        // Neither child may hold the test runner's output open, and neither outlives this program
        // however it ends (a sanitizer's abort runs no destructor).
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.setChildProcessModifier(dieWithParent);
        m_server.start();
        if (!waitFor([&] { return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); })) {
            m_problem = QStringLiteral("Xvfb did not start on %1").arg(m_display);
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        m_manager.setProcessEnvironment(env);
        m_manager.setProgram(openbox);
        m_manager.setArguments({QStringLiteral("--sm-disable")});
        m_manager.setStandardOutputFile(QProcess::nullDevice());
        m_manager.setStandardErrorFile(QProcess::nullDevice());
        m_manager.setChildProcessModifier(dieWithParent);
        m_manager.start();
        // The manager is up once it names itself on the root window.
        const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
        const bool managed = waitFor([&] {
            if (xprop.isEmpty())
                return m_manager.state() == QProcess::Running;
            QProcess probe;
            probe.setProcessEnvironment(env);
            probe.start(xprop, {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            probe.waitForFinished(2000);
            return probe.readAllStandardOutput().contains("window id");
        });
        if (!managed)
            m_problem = QStringLiteral("openbox did not start on %1").arg(m_display);
        else if (xprop.isEmpty())
            QThread::msleep(1500);
    }

    ~XDisplay()
    {
        for (QProcess *p : {&m_manager, &m_server}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(1000);
            }
        }
    }

    const QString &problem() const { return m_problem; }
    const QString &display() const { return m_display; }

private:
    static void dieWithParent() { ::prctl(PR_SET_PDEATHSIG, SIGTERM); }

    template<typename Ready>
    static bool waitFor(Ready ready)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (ready())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QString m_display;
    QString m_problem;
    QProcess m_server;
    QProcess m_manager;
};

class PlacementX11 : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        if (!g_skipReason.isEmpty()) {
            std::cout << "SKIPPED: " << g_skipReason.toStdString() << std::endl;
            GTEST_SKIP() << g_skipReason.toStdString();
        }
        MainWindowFixture::SetUp();
    }

    struct Opened
    {
        QRect window; // the window's own area
        QRect frame;  // with the frame the window manager put around it
    };

    // One run of the program as far as the main window goes: open it, let the window manager
    // frame it, optionally move it, close it.
    Opened openAndClose(const std::function<void(CMainFrame &)> &beforeClose = {})
    {
        CMainFrame f(m_state, m_archive.db(), *m_profile);
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        settle(f);
        const Opened opened{f.geometry(), f.frameGeometry()};
        if (beforeClose) {
            beforeClose(f);
            settle(f);
        }
        f.close();
        return opened;
    }

    // Waits until the window manager has framed the window and stopped moving it; on a loaded
    // machine it may take a while to place it, so the window must hold still for half a second.
    static void settle(QWidget &w)
    {
        QRect last;
        int still = 0;
        for (int i = 0; i < 200 && still < 10; ++i) {
            QTest::qWait(50);
            const QRect now = w.frameGeometry();
            const bool framed = now != w.geometry();
            still = framed && now == last ? still + 1 : 0;
            last = now;
        }
    }
};

} // namespace

TEST_F(PlacementX11, RestartsOpenTheWindowExactlyWhereItWasClosed)
{
    const ScreenPlacement stored{false, 120, 90, 1020, 740};
    Profile(*m_profile).setScreen(stored);
    int framed = 0;
    for (int run = 0; run < 6; ++run) {
        const Opened opened = openAndClose();
        EXPECT_EQ(opened.window, QRect(120, 90, 900, 650)) << "run " << run;
        if (opened.frame != opened.window)
            ++framed;
        else
            std::cout << "run " << run << ": the window manager had not framed the window in time" << std::endl;
        const ScreenPlacement now = Profile(*m_profile).screen();
        EXPECT_EQ(now.left, stored.left) << "run " << run;
        EXPECT_EQ(now.top, stored.top) << "run " << run;
        EXPECT_EQ(now.right, stored.right) << "run " << run;
        EXPECT_EQ(now.bottom, stored.bottom) << "run " << run;
    }
    // A frame is what would push a restarted window off its place, so most runs must have had one:
    // otherwise this test shows nothing. On a loaded machine the manager now and then frames a
    // window only after the run has ended.
    EXPECT_GE(framed, 4);
}

TEST_F(PlacementX11, FirstStartCoversMostOfTheScreenAndThenStaysPut)
{
    const Opened first = openAndClose();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(available.contains(first.frame)) << "the frame is on the screen";
    EXPECT_GE(qint64(first.window.width()) * first.window.height(),
              qint64(available.width()) * available.height() * 8 / 10);
    EXPECT_LE((first.frame.center() - available.center()).manhattanLength(), 40) << "centred";

    // Moved by the user, it comes back where it was left, every time.
    const Opened moved = openAndClose([](CMainFrame &f) { f.move(f.pos() + QPoint(-37, 23)); });
    EXPECT_EQ(moved.window, first.window);
    const ScreenPlacement left = Profile(*m_profile).screen();
    for (int run = 0; run < 4; ++run) {
        const Opened again = openAndClose();
        EXPECT_EQ(again.window.topLeft(), first.window.topLeft() + QPoint(-37, 23)) << "run " << run;
        EXPECT_EQ(again.window.size(), first.window.size()) << "run " << run;
        EXPECT_EQ(Profile(*m_profile).screen().left, left.left) << "run " << run;
        EXPECT_EQ(Profile(*m_profile).screen().bottom, left.bottom) << "run " << run;
    }
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Declared before the application so that it goes after it.
    XDisplay display;
    if (display.problem().isEmpty()) {
        qputenv("DISPLAY", display.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        // No OpenGL: its driver is loaded and unloaded again, leaving allocations no one can name.
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    } else {
        g_skipReason = display.problem();
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovrelle-tests"));
    if (g_skipReason.isEmpty() && QGuiApplication::platformName() != QStringLiteral("xcb"))
        g_skipReason = QStringLiteral("Qt could not open the display %1").arg(display.display());
    return RUN_ALL_TESTS();
}
