#include "CCombineDlg.h"

#include "ImageParamNames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;

namespace {
// The rows' names in each colour space; the fourth row is the alpha channel in all of them.
const QList<QStringList> &rowNames()
{
    static const QList<QStringList> names{
        {u"Red :"_s, u"Green :"_s, u"Blue :"_s},     {u"Hue :"_s, u"Saturation :"_s, u"Lightness :"_s},
        {u"Y :"_s, u"U :"_s, u"V :"_s},              {u"Y :"_s, u"I :"_s, u"Q :"_s},
        {u"X :"_s, u"Y :"_s, u"Z :"_s},
    };
    return names;
}
const QString kAlphaRow = u"Alpha :"_s;
} // namespace

CCombineDlg::CCombineDlg(const QStringList &windows, int current, QWidget *parent)
    : ImageCommandDlg(u"Combine"_s, parent), m_colourSpace(new QComboBox(this))
{
    m_colourSpace->setObjectName(ImageParam::kColourSpace);
    m_colourSpace->addItems({u"RGB"_s, u"HSL"_s, u"YUV"_s, u"YIQ"_s, u"XYZ"_s});
    addForm()->addRow(u"Colour space :"_s, m_colourSpace);

    const QList<QString> channelNames{ImageParam::kChannel1, ImageParam::kChannel2, ImageParam::kChannel3,
                                      ImageParam::kChannel4};
    auto *grid = new QGridLayout;
    for (int row = 0; row < kRows; ++row) {
        m_labels[row] = new QLabel(this);
        m_windows[row] = new QComboBox(this);
        m_windows[row]->setObjectName(u"source-"_s + QString::number(row + 1));
        m_windows[row]->addItems(windows);
        m_windows[row]->setCurrentIndex(current);
        m_windows[row]->setMinimumContentsLength(16);
        m_channels[row] = new QComboBox(this);
        m_channels[row]->setObjectName(channelNames[row]);
        m_channels[row]->addItems({u"gray"_s, u"red"_s, u"green"_s, u"blue"_s});
        // Each colour row starts on the matching channel of the picture, the alpha on its grey.
        m_channels[row]->setCurrentIndex(row < 3 ? row + 1 : 0);
        m_labels[row]->setBuddy(m_windows[row]);
        grid->addWidget(m_labels[row], row, 0);
        grid->addWidget(m_windows[row], row, 1);
        grid->addWidget(m_channels[row], row, 2);
    }
    body()->addLayout(grid);
    finish();

    connect(m_colourSpace, &QComboBox::currentIndexChanged, this, &CCombineDlg::colourSpaceChanged);
    colourSpaceChanged(0);
}

void CCombineDlg::colourSpaceChanged(int space)
{
    const QStringList &names = rowNames().value(space, rowNames().first());
    for (int row = 0; row < kRows; ++row)
        m_labels[row]->setText(row < 3 ? names[row] : kAlphaRow);
}

ImageCommandDlg::Values CCombineDlg::values() const
{
    Values v{{ImageParam::kColourSpace, m_colourSpace->currentIndex()}};
    for (const QComboBox *channel : m_channels)
        v.insert(channel->objectName(), channel->currentIndex());
    return v;
}

QList<int> CCombineDlg::sources() const
{
    QList<int> out;
    for (const QComboBox *w : m_windows)
        out.append(w->currentIndex());
    return out;
}
