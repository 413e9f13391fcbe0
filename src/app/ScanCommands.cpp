#include "ScanCommands.h"

#include "CMainFrame.h"
#include "base/AppState.h"
#include "base/Commands.h"
#include "scan/CScanOptionsDlg.h"
#include "scan/CSourceDlg.h"
#include "scan/ScanMemory.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

ScanCommands::ScanCommands(CMainFrame &frame, AppState &state, QSettings &profile, const QString &libraryFile)
    : QObject(&frame), m_frame(frame), m_state(state), m_profile(profile),
      m_program(QCoreApplication::applicationDirPath() + u"/dovrelle-scan"_s)
{
    connect(&m_process, &ScanProcess::pageStarted, this, &ScanCommands::pageStarted);
    connect(&m_process, &ScanProcess::pageProgress, this, &ScanCommands::pageProgress);
    connect(&m_process, &ScanProcess::pageArrived, this, &ScanCommands::takeImage);
    connect(&m_process, &ScanProcess::ended, this, &ScanCommands::readingEnded);
    useLibrary(libraryFile);
    m_frame.setHandler(Command::SelectSource, [this] { selectSource(); });
    m_frame.setHandler(Command::Acquire, [this] { acquire(); });
}

ScanCommands::~ScanCommands()
{
    release();
}

void ScanCommands::useLibrary(const QString &libraryFile)
{
    release();
    m_closing = false;
    m_library = libraryFile;
    m_client = std::make_unique<CTwain>(libraryFile);
    m_client->Initialise();
}

void ScanCommands::release()
{
    m_closing = true;
    m_process.stop();
    m_reading = false;
    delete m_progress;
    if (m_client)
        m_client->Release();
}

bool ScanCommands::isAvailable() const
{
    return m_client && m_client->isAvailable();
}

CTwain &ScanCommands::client()
{
    return *m_client;
}

void ScanCommands::setTransferDecision(std::function<int(const ScanPageInfo &)> decide)
{
    m_process.setDecision(std::move(decide));
}

void ScanCommands::note(const QString &text)
{
    m_frame.statusBar()->showMessage(text);
}

void ScanCommands::selectSource()
{
    if (!isAvailable()) {
        note(m_client->unavailableNote());
        return;
    }
    if (isBusy())
        return;
    // Network scanners answer their discovery in a second or two.
    const auto devices = [this] {
        WaitCursor busy;
        return m_client->devices();
    }();
    if (!devices) {
        MessageBox::warning(&m_frame, devices.error());
        return;
    }
    if (devices->isEmpty()) {
        MessageBox::information(&m_frame, tr("لا يوجد ماسح ضوئي متصل بهذا الجهاز"));
        return;
    }
    const QString current = m_client->isSourceSelected() ? m_client->source() : ScanMemory::lastDevice(m_profile);
    CSourceDlg dialog(*devices, current, &m_frame);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return;
    m_client->ChooseSource(dialog.chosen());
    ScanMemory::setLastDevice(m_profile, dialog.chosen());
    note(tr("الماسح الضوئي: %1").arg(dialog.chosen()));
}

bool ScanCommands::openSource()
{
    if (m_client->isSourceOpen())
        return true;
    WaitCursor busy;
    if (!m_client->isSourceSelected() && !m_client->SelectDefaultSource(ScanMemory::lastDevice(m_profile))) {
        MessageBox::information(&m_frame, tr("لا يوجد ماسح ضوئي متصل بهذا الجهاز"));
        return false;
    }
    if (Status s = m_client->OpenDataSource(); !s.ok()) {
        MessageBox::warning(&m_frame, s.error());
        return false;
    }
    // The values this device was last used with.
    m_client->applyValues(ScanMemory::values(m_profile, m_client->source()));
    return true;
}

void ScanCommands::acquire()
{
    if (!isAvailable()) {
        note(m_client->unavailableNote());
        return;
    }
    if (isBusy() || !openSource())
        return;
    bool scan = false;
    if (m_optionsAnswer) {
        scan = *m_optionsAnswer;
    } else {
        CScanOptionsDlg options(*m_client, &m_frame);
        scan = options.exec() == QDialog::Accepted;
    }
    // What was set is the device's state now; it is remembered either way.
    ScanMemory::setValues(m_profile, m_client->source(), m_client->currentValues());
    ScanMemory::setLastDevice(m_profile, m_client->source());
    if (scan)
        startReading();
}

void ScanCommands::startReading()
{
    m_opened = 0;
    m_progressPage = 0;
    // The scanning program opens the device itself: this side lets it go first, and opens it
    // again, with the values remembered now, for the next Acquire.
    const ScanProcess::Job job{m_program, m_library, m_client->source(), m_client->currentValues()};
    m_client->CloseSource();
    if (Status s = m_process.start(job); !s.ok()) {
        note(tr("تعذر المسح الضوئي"));
        MessageBox::critical(&m_frame, s.error());
        return;
    }
    m_reading = true;
    m_progress = new QProgressDialog(&m_frame);
    m_progress->setObjectName(u"scanProgress"_s);
    m_progress->setWindowTitle(tr("المسح الضوئي"));
    m_progress->setLayoutDirection(Qt::RightToLeft);
    m_progress->setLabelText(tr("جار الاتصال بالماسح الضوئي %1...").arg(m_client->source()));
    m_progress->setCancelButtonText(tr("الغاء"));
    // Not modal: a modal progress dialog runs the event loop inside every update, and the window
    // stays usable while the pages come.
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setRange(0, 0);
    m_progress->setMinimumWidth(360);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        m_process.cancel();
        if (m_progress)
            m_progress->setLabelText(tr("جار ايقاف المسح الضوئي..."));
    });
    m_progress->show();
    note(tr("جار المسح الضوئي من %1").arg(m_client->source()));
}

void ScanCommands::pageStarted(const ScanPageInfo &info)
{
    if (!m_progress || m_closing)
        return;
    m_progressPage = info.page;
    m_progress->setLabelText(tr("جار مسح الصفحة %1 (%2 × %3)...")
                                 .arg(info.page)
                                 .arg(info.width)
                                 .arg(info.height > 0 ? QString::number(info.height) : u"?"_s));
    // A device that does not say how long its page is gets a busy bar.
    if (info.expectedBytes > 0) {
        m_progress->setRange(0, 1000);
        m_progress->setValue(0);
    } else {
        m_progress->setRange(0, 0);
    }
}

void ScanCommands::pageProgress(const ScanPageInfo &info, qint64 bytesRead)
{
    if (!m_progress || m_closing || info.page != m_progressPage || info.expectedBytes <= 0)
        return;
    m_progress->setValue(int(std::min<qint64>(1000, bytesRead * 1000 / info.expectedBytes)));
}

void ScanCommands::takeImage(const QImage &image, const ScanPageInfo &info)
{
    if (m_closing)
        return;
    const QString title = acquiredImageCaption(m_state.takeImageNumber());
    if (!m_frame.openImage(image, title))
        return;
    ++m_opened;
    note(tr("%1: %2 × %3، %4 بت، %5 نقطة في البوصة")
             .arg(title)
             .arg(image.width())
             .arg(image.height())
             .arg(info.bitsPerPixel())
             .arg(qRound(info.resolution)));
}

void ScanCommands::readingEnded(const ScanOutcome &outcome)
{
    m_reading = false;
    delete m_progress;
    if (m_closing)
        return;
    switch (outcome.end) {
    case ScanOutcome::End::Failed:
        note(tr("تعذر المسح الضوئي"));
        MessageBox::critical(&m_frame, outcome.message);
        break;
    case ScanOutcome::End::Cancelled: note(tr("ألغي المسح الضوئي بعد %1 صفحة").arg(outcome.pages)); break;
    case ScanOutcome::End::Finished: note(tr("انتهى المسح الضوئي: %1 صفحة").arg(outcome.pages)); break;
    }
    emit acquisitionEnded(m_opened);
}
