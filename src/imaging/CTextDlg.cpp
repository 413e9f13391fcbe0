#include "CTextDlg.h"

#include "ColourChooser.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;
constexpr int kBoldFrom = 600;
// A push button draws its text in the program's right-to-left direction whatever its own, which
// would put the trailing dots first; a left-to-right mark after them keeps the text as it reads.
const QString kTextLeftToRightMark = u"\u200E"_s;
} // namespace

QColor CTextDlg::fromColourValue(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 CTextDlg::toColourValue(const QColor &colour)
{
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

CTextDlg::CTextDlg(const TextToolSettings &settings, const QString &text, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_text(new QLineEdit(text, this)), m_face(new QFontComboBox(this)),
      m_bold(new QCheckBox(u"Bold"_s, this)), m_italic(new QCheckBox(u"Italic"_s, this)),
      m_underline(new QCheckBox(u"Underline"_s, this)),
      m_textColour(new QPushButton(u"Text color ..."_s + kTextLeftToRightMark, this)),
      m_backColour(new QPushButton(u"Background color ..."_s + kTextLeftToRightMark, this)),
      m_opaque(new QCheckBox(u"Opaque background"_s, this)),
      m_opacity(new QSpinBox(this)), m_radius(new QSpinBox(this))
{
    setWindowTitle(u"Place text to image"_s);
    setLayoutDirection(Qt::LeftToRight);
    m_text->setObjectName(u"text"_s);
    m_text->setMinimumWidth(260);
    m_face->setObjectName(u"face"_s);
    m_face->setCurrentFont(QFont(settings.faceName));
    m_shownFace = m_face->currentFont().family();
    m_bold->setObjectName(u"bold"_s);
    m_bold->setChecked(settings.weight >= kBoldFrom);
    m_italic->setObjectName(u"italic"_s);
    m_italic->setChecked(settings.italic != 0);
    m_underline->setObjectName(u"underline"_s);
    m_underline->setChecked(settings.underline != 0);
    m_textColour->setObjectName(u"text-colour"_s);
    m_backColour->setObjectName(u"back-colour"_s);
    for (QPushButton *b : {m_textColour, m_backColour})
        b->setAutoDefault(false);
    showColour(m_textColour, settings.textColour);
    showColour(m_backColour, settings.backColour);
    m_opaque->setObjectName(u"opaque"_s);
    m_opaque->setChecked(settings.opaque);
    m_opacity->setObjectName(u"opacity"_s);
    m_opacity->setRange(0, 100);
    m_opacity->setSuffix(u" %"_s);
    m_opacity->setValue(int(std::lround(settings.opacity * 100.0)));
    m_radius->setObjectName(u"radius"_s);
    m_radius->setRange(0, 1000);
    m_radius->setValue(settings.roundRadius);

    auto *body = new QVBoxLayout(this);
    body->setSizeConstraint(QLayout::SetFixedSize);
    auto *form = new QFormLayout;
    form->addRow(u"Text :"_s, m_text);
    form->addRow(u"Font :"_s, m_face);
    auto *styles = new QHBoxLayout;
    styles->addWidget(m_bold);
    styles->addWidget(m_italic);
    styles->addWidget(m_underline);
    styles->addStretch();
    form->addRow(QString(), styles);
    auto *colours = new QHBoxLayout;
    colours->addWidget(m_textColour);
    colours->addWidget(m_backColour);
    form->addRow(u"Colors :"_s, colours);
    form->addRow(QString(), m_opaque);
    form->addRow(u"Opacity :"_s, m_opacity);
    form->addRow(u"Corner radius :"_s, m_radius);
    body->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    body->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_textColour, &QPushButton::clicked, this, [this] { chooseColour(m_textColour, &m_settings.textColour); });
    connect(m_backColour, &QPushButton::clicked, this, [this] { chooseColour(m_backColour, &m_settings.backColour); });
}

void CTextDlg::showColour(QPushButton *button, quint32 value)
{
    QPixmap swatch(16, 16);
    swatch.fill(fromColourValue(value));
    button->setIcon(QIcon(swatch));
}

void CTextDlg::chooseColour(QPushButton *button, quint32 *value)
{
    if (const auto chosen = ColourChooser::choose(this, fromColourValue(*value))) {
        *value = toColourValue(*chosen);
        showColour(button, *value);
    }
}

TextToolSettings CTextDlg::settings() const
{
    TextToolSettings s = m_settings;
    if (m_face->currentFont().family() != m_shownFace)
        s.faceName = m_face->currentFont().family();
    // A weight the user did not touch stays as it was (0 leaves it to the font).
    if (m_bold->isChecked() != (m_settings.weight >= kBoldFrom))
        s.weight = m_bold->isChecked() ? kBoldWeight : kNormalWeight;
    s.italic = m_italic->isChecked() ? 1 : 0;
    s.underline = m_underline->isChecked() ? 1 : 0;
    s.opaque = m_opaque->isChecked();
    s.opacity = m_opacity->value() * 0.01;
    s.roundRadius = m_radius->value();
    return s;
}

QString CTextDlg::text() const
{
    return m_text->text();
}
