#include "CPaletteDlg.h"

#include "ColourChooser.h"
#include "ImageParamNames.h"
#include "PaletteFile.h"
#include "PaletteGrid.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kFilter = u"*.pal;;*.*"_s;
const QString kDefaultSuffix = u"pal"_s;
// A push button draws its text in the program's right-to-left direction whatever its own, which
// would put the trailing dots first; a left-to-right mark after them keeps "Load ..." as it reads.
const QString kPaletteLeftToRightMark = u"\u200E"_s;
} // namespace

QString CPaletteDlg::entryText(int index, QRgb c)
{
    return u" I : %1, RGBA : %2, %3, %4, %5"_s.arg(index).arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).arg(qAlpha(c));
}

CPaletteDlg::CPaletteDlg(const QList<QRgb> &palette, QWidget *parent)
    : QDialog(parent), m_pictureColours(int(palette.size())), m_grid(new PaletteGrid(this)),
      m_editAlpha(new QCheckBox(u"Edit alpha component"_s, this)), m_options(new QButtonGroup(this)),
      m_info(new QLabel(this))
{
    setWindowTitle(u"Palette"_s);
    setLayoutDirection(Qt::LeftToRight);
    m_grid->setObjectName(u"grid"_s);
    m_grid->setColours(palette);
    m_editAlpha->setObjectName(u"edit-alpha"_s);
    m_info->setObjectName(u"info"_s);
    // Room for the longest entry text, so the line never jumps or gets cut.
    m_info->setMinimumWidth(m_info->fontMetrics().horizontalAdvance(entryText(255, qRgba(255, 255, 255, 255))) + 8);

    auto *load = new QPushButton(u"Load ..."_s + kPaletteLeftToRightMark, this);
    auto *save = new QPushButton(u"Save ..."_s + kPaletteLeftToRightMark, this);
    load->setObjectName(u"load"_s);
    save->setObjectName(u"save"_s);
    for (QPushButton *b : {load, save})
        b->setAutoDefault(false);
    auto *optionBox = new QGroupBox(this);
    auto *optionColumn = new QVBoxLayout(optionBox);
    const QStringList optionNames{u"Maintain indexes"_s, u"Nearest color matching"_s, u"Error diffusion dithering"_s};
    for (int i = 0; i < optionNames.size(); ++i) {
        auto *radio = new QRadioButton(optionNames[i], optionBox);
        radio->setObjectName(u"option-"_s + QString::number(i));
        m_options->addButton(radio, i);
        optionColumn->addWidget(radio);
    }
    m_options->button(MaintainIndexes)->setChecked(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto *side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addWidget(load);
    side->addWidget(save);
    side->addWidget(m_editAlpha);
    side->addWidget(optionBox);
    side->addWidget(m_info);
    side->addStretch();
    auto *row = new QHBoxLayout(this);
    row->setSizeConstraint(QLayout::SetFixedSize);
    row->addWidget(m_grid, 0, Qt::AlignTop);
    row->addLayout(side);
    setTabOrder(m_grid, buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(load, &QPushButton::clicked, this, &CPaletteDlg::load);
    connect(save, &QPushButton::clicked, this, &CPaletteDlg::save);
    connect(m_editAlpha, &QCheckBox::toggled, m_grid, &PaletteGrid::setAlphaMode);
    connect(m_grid, &PaletteGrid::hovered, this,
            [this](int index) { m_info->setText(entryText(index, m_grid->colours().value(index))); });
    connect(m_grid, &PaletteGrid::activated, this, &CPaletteDlg::editEntry);
}

QList<QRgb> CPaletteDlg::palette() const
{
    return m_grid->colours();
}

CPaletteDlg::LoadOption CPaletteDlg::loadOption() const
{
    return LoadOption(m_options->checkedId());
}

QVariantMap CPaletteDlg::values() const
{
    return {{ImageParam::kPalette, QVariant::fromValue(palette())}, {ImageParam::kLoadOption, int(loadOption())}};
}

QString CPaletteDlg::hoverText() const
{
    return m_info->text();
}

void CPaletteDlg::editEntry(int index)
{
    QList<QRgb> colours = m_grid->colours();
    if (index < 0 || index >= colours.size())
        return;
    const QRgb c = colours[index];
    if (m_editAlpha->isChecked()) {
        // The alpha is edited as a grey level: the chosen colour's grey becomes the alpha.
        const auto chosen = ColourChooser::choose(this, QColor(qAlpha(c), qAlpha(c), qAlpha(c)));
        if (!chosen)
            return;
        colours[index] = qRgba(qRed(c), qGreen(c), qBlue(c), qGray(chosen->rgb()));
    } else {
        const auto chosen = ColourChooser::choose(this, QColor(qRed(c), qGreen(c), qBlue(c)));
        if (!chosen)
            return;
        colours[index] = qRgba(chosen->red(), chosen->green(), chosen->blue(), qAlpha(c));
    }
    if (colours[index] == c)
        return;
    m_grid->setColours(colours);
    m_info->setText(entryText(index, colours[index]));
    m_changed = true;
}

void CPaletteDlg::load()
{
    const QString path = FileDialog::openFile(this, u"Open file"_s, kFilter);
    if (path.isEmpty())
        return;
    const auto loaded = PaletteFile::load(path, m_pictureColours);
    if (!loaded) {
        MessageBox::warning(this, loaded.error());
        return;
    }
    if (!loaded->warning.isEmpty())
        MessageBox::warning(this, loaded->warning);
    // The file gives the first entries; the rest of the picture's palette stays as it was.
    QList<QRgb> colours = m_grid->colours();
    for (int i = 0; i < loaded->colours.size() && i < colours.size(); ++i)
        colours[i] = loaded->colours[i];
    if (colours != m_grid->colours()) {
        m_grid->setColours(colours);
        m_changed = true;
    }
}

void CPaletteDlg::save()
{
    QString path = FileDialog::saveFile(this, u"Save file"_s, kFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + kDefaultSuffix;
    if (const Status saved = PaletteFile::save(path, m_grid->colours()); !saved)
        MessageBox::warning(this, saved.error());
}
