#include "ScanServer.h"

#include "CTwain.h"
#include "ScanHandOff.h"
#include "base/WriteAll.h"

#include <QCommandLineParser>
#include <QDir>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace ScanServer {
namespace {

// The window's side of the talk: its answers to the pages and its cancel, read on a thread of
// their own so that a cancel reaches the scanner while a page is being read.
class Window
{
public:
    void listen(CTwain &scanner)
    {
        std::thread([this, &scanner] {
            QByteArray pending;
            char chunk[256];
            for (;;) {
                const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                pending.append(chunk, n);
                for (qsizetype nl = pending.indexOf('\n'); nl >= 0; nl = pending.indexOf('\n')) {
                    const QByteArray line = pending.left(nl).trimmed();
                    pending.remove(0, nl + 1);
                    if (line == "cancel") {
                        stop(scanner);
                        continue;
                    }
                    bool ok = false;
                    const int answer = line.toInt(&ok);
                    if (ok && answer >= CTwain::TransferImage && answer <= CTwain::CancelAll) {
                        std::lock_guard lock(m_lock);
                        m_answers.push_back(answer);
                        m_changed.notify_all();
                    }
                }
            }
            // The window is gone: nobody would take the pages.
            stop(scanner);
        }).detach();
    }

    // The window's answer for a page; a cancel while waiting takes the page, and the reading
    // that follows ends as cancelled at once.
    int answer()
    {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [this] { return m_stopped || !m_answers.empty(); });
        if (m_answers.empty())
            return CTwain::TransferImage;
        const int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }

    void stop(CTwain &scanner)
    {
        {
            std::lock_guard lock(m_lock);
            m_stopped = true;
            m_changed.notify_all();
        }
        scanner.cancel();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<int> m_answers;
    bool m_stopped = false;
};

bool say(const QByteArray &line)
{
    return writeAll(STDOUT_FILENO, line.constData(), line.size());
}

class ServedScanner : public CTwain
{
public:
    ServedScanner(const QString &library, const QString &folder, Window &window)
        : CTwain(library), m_folder(folder), m_window(window)
    {
    }

    const QString &problem() const { return m_problem; }

protected:
    int DecideTransfer(const ScanPageInfo &info) override
    {
        if (!say(ScanHandOff::pageLine(info))) {
            m_window.stop(*this);
            return CancelAll;
        }
        return m_window.answer();
    }

    void TakeImage(const QImage &image, const ScanPageInfo &info) override
    {
        const QString path = m_folder.filePath(u"page-%1.picture"_s.arg(info.page));
        if (!ScanHandOff::writePicture(path, image)) {
            QFile::remove(path);
            m_problem = tr("تعذرت كتابة الصفحة %1 في %2").arg(info.page).arg(m_folder.path());
            cancel();
            return;
        }
        if (!say(ScanHandOff::pictureLine(info.page, path)))
            m_window.stop(*this);
    }

    void PageProgress(const ScanPageInfo &info, qint64 bytesRead) override
    {
        if (!say(ScanHandOff::readLine(info.page, bytesRead)))
            m_window.stop(*this);
    }

private:
    QDir m_folder;
    Window &m_window;
    QString m_problem;
};

// The last line, and the end of the process: the thread that listens to the window may still be
// waiting on its input, and must not outlive what it would touch.
[[noreturn]] void end(const ScanOutcome &outcome)
{
    say(ScanHandOff::endLine(outcome));
    ::_exit(outcome.end == ScanOutcome::End::Failed ? 1 : 0);
}

} // namespace

void run(const QStringList &arguments)
{
    // A window that went away must not end this program before the device is let go.
    std::signal(SIGPIPE, SIG_IGN);
    QCommandLineParser parser;
    const QCommandLineOption device(u"device"_s, u"The scanner."_s, u"NAME"_s);
    const QCommandLineOption folder(u"folder"_s, u"Where the pages' pictures go."_s, u"DIR"_s);
    const QCommandLineOption library(u"library"_s, u"The SANE library."_s, u"FILE"_s,
                                     QString::fromLatin1(SaneLibrary::kDefaultFile));
    const QCommandLineOption value(u"value"_s, u"A value of the device's options."_s, u"NAME=VALUE"_s);
    parser.addOptions({device, folder, library, value});
    if (!parser.parse(arguments) || !parser.isSet(device) || !parser.isSet(folder)) {
        end({ScanOutcome::End::Failed, 0,
                    u"dovrelle-scan --device NAME --folder DIR [--library FILE] [--value NAME=VALUE]..."_s});
    }

    Window window;
    ServedScanner scanner(parser.value(library), parser.value(folder), window);
    if (!scanner.Initialise())
        end({ScanOutcome::End::Failed, 0, scanner.unavailableNote()});
    if (Status s = scanner.OpenDataSource(parser.value(device)); !s.ok()) {
        scanner.Release();
        end({ScanOutcome::End::Failed, 0, s.error()});
    }
    scanner.applyValues(ScanHandOff::valuesFrom(parser.values(value)));
    window.listen(scanner);
    ScanOutcome outcome = scanner.Acquire();
    if (!scanner.problem().isEmpty())
        outcome = {ScanOutcome::End::Failed, outcome.pages, scanner.problem()};
    scanner.Release();
    end(outcome);
}

} // namespace ScanServer
