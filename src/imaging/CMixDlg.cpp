#include "CMixDlg.h"

#include "ImageParamNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kDefaultOperation = 1; // "OpAnd"
constexpr int kLargestOffset = 65500;
constexpr std::array kLibraryOperations{0, 1, 2, 3, 9, 4, 5, 6, 7, 8};
} // namespace

const QStringList &CMixDlg::operationNames()
{
    static const QStringList names{u"OpAdd"_s,     u"OpAnd"_s,     u"OpXor"_s,     u"OpOr"_s,  u"OpScreen"_s,
                                   u"OpMask"_s,    u"OpSrcCopy"_s, u"OpDstCopy"_s, u"OpSub"_s, u"OpSrcBlend"_s};
    return names;
}

int CMixDlg::libraryOperation(int listIndex)
{
    return listIndex >= 0 && listIndex < int(kLibraryOperations.size()) ? kLibraryOperations[listIndex] : -1;
}

CMixDlg::CMixDlg(const QStringList &windows, Preview preview, QWidget *parent)
    : ImageCommandDlg(u"Mix"_s, parent), m_preview(std::move(preview)), m_dst(new QComboBox(this)),
      m_src(new QComboBox(this)), m_operation(new QComboBox(this)), m_x(new QSpinBox(this)), m_y(new QSpinBox(this)),
      m_alpha(new QCheckBox(u"Mix alpha channel"_s, this)), m_previewLabel(new QLabel(this))
{
    for (QComboBox *list : {m_dst, m_src}) {
        list->addItems(windows);
        list->setMinimumContentsLength(16);
    }
    m_dst->setObjectName(u"dst"_s);
    m_src->setObjectName(u"src"_s);
    m_dst->setCurrentIndex(windows.isEmpty() ? -1 : 0);
    m_src->setCurrentIndex(windows.size() >= 2 ? 1 : (windows.isEmpty() ? -1 : 0));
    m_operation->setObjectName(ImageParam::kOperation);
    m_operation->addItems(operationNames());
    m_operation->setCurrentIndex(kDefaultOperation);
    for (QSpinBox *offset : {m_x, m_y})
        offset->setRange(-kLargestOffset, kLargestOffset);
    m_x->setObjectName(ImageParam::kXOffset);
    m_y->setObjectName(ImageParam::kYOffset);
    m_alpha->setObjectName(ImageParam::kMixAlpha);
    auto *refresh = new QPushButton(u"Refresh Preview"_s, this);
    refresh->setObjectName(u"refresh"_s);
    // Enter stays with OK.
    refresh->setAutoDefault(false);
    m_previewLabel->setObjectName(u"preview"_s);
    m_previewLabel->setFixedSize(kPreviewSide + 4, kPreviewSide + 4);
    m_previewLabel->setAlignment(Qt::AlignCenter);
    m_previewLabel->setFrameShape(QFrame::StyledPanel);

    auto *row = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *form = new QFormLayout;
    form->addRow(u"Dst :"_s, m_dst);
    form->addRow(u"Src :"_s, m_src);
    form->addRow(u"OpType :"_s, m_operation);
    form->addRow(u"X offset :"_s, m_x);
    form->addRow(u"Y offset :"_s, m_y);
    form->addRow(m_alpha);
    left->addLayout(form);
    left->addWidget(refresh, 0, Qt::AlignLeft);
    left->addStretch();
    row->addLayout(left);
    row->addWidget(m_previewLabel, 0, Qt::AlignTop);
    body()->addLayout(row);
    finish();

    connect(refresh, &QPushButton::clicked, this, &CMixDlg::refreshPreview);
}

void CMixDlg::refreshPreview()
{
    if (!m_preview)
        return;
    m_shown = m_preview(destination(), source(), values());
    if (m_shown.isNull()) {
        m_previewLabel->clear();
        return;
    }
    const QImage fitted = m_shown.width() > kPreviewSide || m_shown.height() > kPreviewSide
                              ? m_shown.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : m_shown;
    m_previewLabel->setPixmap(QPixmap::fromImage(fitted));
}

ImageCommandDlg::Values CMixDlg::values() const
{
    return {{ImageParam::kOperation, m_operation->currentIndex()},
            {ImageParam::kXOffset, m_x->value()},
            {ImageParam::kYOffset, m_y->value()},
            {ImageParam::kMixAlpha, m_alpha->isChecked()}};
}

int CMixDlg::destination() const
{
    return m_dst->currentIndex();
}

int CMixDlg::source() const
{
    return m_src->currentIndex();
}
