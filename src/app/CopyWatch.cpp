#include "CopyWatch.h"

#include "cards/Archiver.h"
#include "cards/CopyOutbox.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kShownFailures = 10;

// The last failures of the copier's log, as "file: reason", newest last.
QStringList recentFailures(const QString &logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        if (fields.size() >= 5 && !fields[2].isEmpty())
            lines.append(fields[2] + u": "_s + fields[4]);
    }
    return lines.mid(std::max<qsizetype>(0, lines.size() - kShownFailures));
}

} // namespace

CopyWatch::CopyWatch(QString programFolder, Database db, QWidget *window, QObject *parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_db(std::move(db)), m_window(window),
      m_timer(new QTimer(this))
{
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CopyWatch::check);
}

bool CopyWatch::startCopier()
{
    if (m_startCopier)
        return m_startCopier();
    return QProcess::startDetached(Archiver::copierProgramIn(m_programFolder), {}, m_programFolder + u"/COM"_s);
}

void CopyWatch::start()
{
    const Result<int> delivered = CopyOutbox(m_db, m_programFolder).deliver();
    const Result<QList<CopyOrder>> failed = CopyHandOff(m_programFolder, CopyHandOff::Copier::Archive).failed();
    const bool work = (delivered && *delivered > 0) || (failed && !failed->isEmpty())
                      || QFileInfo(CopyHandOff(m_programFolder, CopyHandOff::Copier::Archive).countPath()).size() > 1;
    if (work)
        startCopier();
    m_timer->start();
}

void CopyWatch::check()
{
    const CopyHandOff handOff(m_programFolder, CopyHandOff::Copier::Archive);
    const qint64 size = QFileInfo(handOff.failedPath()).size();
    if (size <= 0) {
        m_shownSize = 0;
        return;
    }
    // Each new failure is told once; the notice already open is brought up to date.
    if (size == m_shownSize)
        return;
    m_shownSize = size;
    const qint64 orders = size / CopyOrder::kSize;
    const QString text =
        tr("تعذر نسخ %n من ملفات الأرشيف الى مخزن الملفات، والبطاقات محفوظة والملفات بانتظار النسخ.", nullptr,
           int(orders));
    const QString what = tr("تأكد من أن الملفات الأصلية ما زالت في أماكنها وأن مجلد المخزن متاح وفيه متسع، ثم اضغط "
                            "\"إعادة المحاولة\". يعاد النسخ كذلك عند الأرشفة التالية وعند تشغيل البرنامج.");
    if (!m_notice) {
        m_notice = new QMessageBox(QMessageBox::Warning, tr("نسخ الملفات"), text, QMessageBox::Close, m_window);
        m_notice->setAttribute(Qt::WA_DeleteOnClose);
        m_notice->setWindowModality(Qt::NonModal);
        QPushButton *retry = m_notice->addButton(tr("إعادة المحاولة"), QMessageBox::AcceptRole);
        connect(retry, &QPushButton::clicked, this, [this] {
            m_shownSize = 0;
            startCopier();
        });
    }
    m_notice->setText(text);
    m_notice->setInformativeText(what);
    m_notice->setDetailedText(recentFailures(m_programFolder + u"/COM/fm-errors.log"_s).join(u'\n'));
    m_notice->show();
    m_notice->raise();
}
