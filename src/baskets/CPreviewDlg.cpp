#include "CPreviewDlg.h"

#include "DescriptionReader.h"
#include "base/Palette.h"
#include "imaging/PictureDecoder.h"
#include "ui/CGridCtrl.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize kGridSize{320, 290};
constexpr int kPreviewRowHeight = 280;
constexpr int kPreviewColumnWidth = 310;
// Taller than this share of its width, a picture is fitted to the box's height.
constexpr double kTallRatio = 0.9;

} // namespace

CPreviewDlg::CPreviewDlg(QWidget *parent)
    : QDialog(parent), m_grid(new CGridCtrl(this)), m_description(new QPlainTextEdit(this))
{
    setModal(false);
    setLayoutDirection(Qt::RightToLeft);
    m_grid->setGridKind(kGridKind);
    m_grid->setRowCount(1);
    m_grid->setColumnCount(1);
    m_grid->setFixedRowCount(0);
    m_grid->setFixedColumnCount(0);
    m_grid->setRowHeight(0, kPreviewRowHeight);
    m_grid->setColumnWidth(0, kPreviewColumnWidth);
    m_grid->setImageListSize(kImageSlots);
    m_grid->setFixedSize(kGridSize);
    m_description->setReadOnly(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 0, Qt::AlignTop | Qt::AlignAbsolute | Qt::AlignLeft);
    layout->addWidget(m_description, 1);
    resize(kGridSize.width() + 20, kGridSize.height() + 140);
}

QRect CPreviewDlg::placement(QSize picture)
{
    const int boxWidth = kPictureSize.width();
    const int boxHeight = kPictureSize.height();
    if (picture.isEmpty())
        return {};
    const double r = double(picture.height()) / picture.width();
    if (r > kTallRatio) {
        const int width = int(boxHeight / r);
        return {(boxWidth - width) / 2, 0, width, boxHeight};
    }
    const int height = int(boxWidth * r);
    return {0, (boxHeight - height) / 2, boxWidth, height};
}

QImage CPreviewDlg::compose(const QImage &picture)
{
    QImage box(kPictureSize, QImage::Format_RGB32);
    box.fill(Qt::white);
    QPainter painter(&box);
    if (!picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(placement(picture.size()), picture);
    }
    painter.setPen(QColor(Palette::kPictureFrame));
    painter.drawRect(0, 0, kPictureSize.width() - 1, kPictureSize.height() - 1);
    return box;
}

QImage CPreviewDlg::decode(const QString &path)
{
    // A scanned page decodes straight at about the box's size.
    return PictureDecoder::decodeImage(path, kPictureSize);
}

void CPreviewDlg::showPreview(const QString &path, const QString &caption, const QString &description, int mode)
{
    m_picture = compose(decode(path));
    m_grid->setListImage(0, m_picture);
    m_grid->setImage(0, 0, 0);
    setWindowTitle(caption);
    if (mode == DescriptionFromFile)
        m_description->setPlainText(DescriptionReader::readDescription(path));
    else if (mode == DescriptionGiven)
        m_description->setPlainText(description);
    m_grid->viewport()->update();
}

void CPreviewDlg::present(const QString &path, const QString &caption, const QString &description, int mode)
{
    // Shown first, as a hidden window's contents are not laid out; then brought to the front,
    // where the user who double-clicked expects it.
    show();
    raise();
    activateWindow();
    showPreview(path, caption, description, mode);
}

QString CPreviewDlg::description() const
{
    return m_description->toPlainText();
}
