#include "TextEntry.h"

#include "CardTexts.h"
#include "base/HandOffFolder.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// A converter told to stop has this long before it is killed.
constexpr int kStopGraceMs = 2000;
// How long a note stays in the status line.
constexpr int kStatusNoteMs = 8000;
// The progress dialog appears only for conversions that are not over at once.
constexpr int kShowProgressAfterMs = 400;

} // namespace

TextEntry::TextEntry(QWidget *window, QStatusBar *status, const QString &programFolder,
                     const QString &databaseFolder)
    : QObject(window), m_window(window), m_status(status), m_programFolder(programFolder),
      m_databaseFolder(databaseFolder), m_conversion(handOffFolder()), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        giveUp(tr("انتهت مهلة برنامج التحويل (%1 ثانية) دون ان يكتب نص الملف").arg(m_clock.elapsed() / 1000));
    });
}

TextEntry::~TextEntry()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(kStopGraceMs);
    }
}

QProgressDialog *TextEntry::progress() const
{
    return m_progress.data();
}

bool TextEntry::running() const
{
    return m_process != nullptr;
}

bool TextEntry::enterText(int row, const QString &path)
{
    if (running())
        return false;
    if (!TextConversion::isConvertible(path)) {
        MessageBox::warning(m_window, TextConversion::notTextMessage());
        return false;
    }
    if (const Status prepared = m_conversion.prepare(path); !prepared) {
        MessageBox::warning(m_window, prepared.error());
        return false;
    }
    m_row = row;
    m_path = path;
    m_givenUp = false;

    m_process = new QProcess(this);
    m_process->setProgram(TextConversion::converterProgram(m_programFolder));
    m_process->setWorkingDirectory(QDir::tempPath());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &TextEntry::readProgress);
    connect(m_process, &QProcess::finished, this, &TextEntry::converterEnded);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(false, tr("تعذر تشغيل برنامج التحويل %1").arg(QDir::toNativeSeparators(m_process->program())));
    });

    m_progress = new QProgressDialog(tr("جاري استخراج نص الملف %1 ...").arg(QFileInfo(path).fileName()),
                                     tr("الغاء"), 0, 0, m_window);
    m_progress->setWindowTitle(tr("ادخال النص"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(kShowProgressAfterMs);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] { giveUp(QString()); });

    m_clock.start();
    m_deadline->start(m_baseWaitMs);
    m_process->start();
    return true;
}

void TextEntry::readProgress()
{
    while (m_process && m_process->canReadLine()) {
        const QByteArray line = m_process->readLine();
        if (const std::optional<int> pages = TextConversion::announcedPages(line)) {
            extendWait(*pages);
        } else if (const std::optional<int> page = TextConversion::announcedPage(line); page && m_progress) {
            m_progress->setLabelText(tr("جاري التعرف الضوئي على الصفحة %1 من %2 ...").arg(*page).arg(m_progress->maximum()));
            m_progress->setValue(*page - 1);
        }
    }
}

void TextEntry::extendWait(int pages)
{
    if (m_givenUp)
        return;
    const qint64 left = m_baseWaitMs + qint64(TextConversion::kWaitPerPageMs) * pages - m_clock.elapsed();
    m_deadline->start(int(std::max<qint64>(left, 0)));
    if (m_progress)
        m_progress->setRange(0, pages);
}

void TextEntry::converterEnded()
{
    if (m_givenUp) {
        end(false, QString());
        return;
    }
    if (m_process->exitStatus() != QProcess::NormalExit) {
        end(false, tr("توقف برنامج التحويل قبل ان ينهي عمله"));
        return;
    }
    if (m_process->exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(m_process->readAllStandardError()).trimmed().section(u'\n', -1);
        end(false, tr("تعذر استخراج نص الملف") + (said.isEmpty() ? QString() : u"\n"_s + said));
        return;
    }
    const Result<QString> text = m_conversion.takeText();
    if (!text) {
        end(false, text.error());
        return;
    }
    emit textReady(m_row, m_path, *text);
    end(true, QString());
}

void TextEntry::giveUp(const QString &message)
{
    if (!m_process || m_givenUp)
        return;
    m_givenUp = true;
    m_deadline->stop();
    if (m_progress)
        m_progress->hide();
    if (!message.isEmpty())
        MessageBox::warning(m_window, message);
    // The hand-off files stay locked until the converter is gone, so that a late write of it
    // cannot reach the next conversion.
    m_process->terminate();
    QTimer::singleShot(kStopGraceMs, m_process, [p = m_process] { p->kill(); });
}

void TextEntry::end(bool ok, const QString &message)
{
    m_deadline->stop();
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    m_conversion.release();
    if (!message.isEmpty())
        MessageBox::warning(m_window, message);
    emit finished(ok);
}

std::optional<QString> TextEntry::snippet(int digit)
{
    const Result<QString> text = CardTexts::readSnippet(m_databaseFolder, digit);
    if (!text) {
        m_status->showMessage(text.error(), kStatusNoteMs);
        return std::nullopt;
    }
    return *text;
}

bool TextEntry::exportText(const QString &text)
{
    const Status written = CardTexts::exportText(text, m_programFolder);
    if (!written)
        MessageBox::warning(m_window, written.error());
    return written.ok();
}
