#include "CopierWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kBarSteps = 1000;
// Each file weighs as much as this many bytes, so that a run of many small files still moves.
constexpr qint64 kFileWeight = 64 * 1024;
constexpr int kMinimumWidth = 460;
// The closing box names this many failures; the rest are behind its details button.
constexpr int kFailuresShown = 10;

// Paths read left to right inside the right-to-left texts: marks on both sides keep a path's
// slashes with it, and a right-to-left mark opening each line keeps the line right to left.
QString isolatePaths(const QString &text)
{
    static const QRegularExpression path(u"(/\\S*?)(?=[:،]?(\\s|$))"_s);
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = u'\u200f' + line.replace(path, u"\u200e\\1\u200e"_s);
    return lines.join(u'\n');
}

} // namespace

CopierWindow::CopierWindow(CopyHandOff::Copier list, QWidget *parent)
    : QDialog(parent), m_file(new QLabel(this)), m_count(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setWindowTitle(list == CopyHandOff::Copier::Archive ? tr("نسخ الملفات الى الارشيف") : tr("نسخ الملفات"));
    setLayoutDirection(Qt::RightToLeft);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setMinimumWidth(kMinimumWidth);
    m_file->setTextFormat(Qt::PlainText);
    m_file->setWordWrap(true);
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(0);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_bar);
    layout->addWidget(m_count);
    refresh();
}

void CopierWindow::addPlanned(qint64 files, qint64 bytes)
{
    m_totalFiles += files;
    m_totalBytes += bytes;
    refresh();
}

void CopierWindow::addCopied(qint64 bytes)
{
    m_doneBytes += bytes;
    refresh();
}

void CopierWindow::startFile(const QString &source)
{
    m_file->setText(isolatePaths(tr("نسخ %1").arg(QDir::toNativeSeparators(source))));
}

void CopierWindow::finishFile()
{
    ++m_doneFiles;
    refresh();
}

void CopierWindow::addFailure()
{
    ++m_failures;
    refresh();
}

void CopierWindow::refresh()
{
    const double total = double(m_totalBytes) + double(m_totalFiles) * kFileWeight;
    const double done = double(m_doneBytes) + double(m_doneFiles) * kFileWeight;
    m_bar->setValue(total > 0 ? int(std::min(done / total, 1.0) * kBarSteps) : 0);
    QString count = tr("الملف %1 من %2").arg(QString::number(std::min(m_doneFiles + 1, m_totalFiles)),
                                             QString::number(m_totalFiles));
    if (m_failures > 0)
        count += u"   "_s + tr("تعذر نسخ %1").arg(QString::number(m_failures));
    m_count->setText(count);
}

void CopierWindow::showFailures(const QStringList &failures)
{
    QMessageBox box(QMessageBox::Critical, tr("خطأ في النسخ"),
                    tr("لم تُنسخ كل الملفات:") + u'\n' + isolatePaths(failures.mid(0, kFailuresShown).join(u'\n')),
                    QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(tr("موافق"));
    box.setLayoutDirection(Qt::RightToLeft);
    box.setTextFormat(Qt::PlainText);
    if (failures.size() > kFailuresShown)
        box.setDetailedText(failures.join(u'\n'));
    box.exec();
}

void CopierWindow::reject()
{
}

void CopierWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
