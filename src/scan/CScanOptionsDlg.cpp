#include "CScanOptionsDlg.h"

#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The basic part in its order, with the labels the form gives them.
struct BasicRow
{
    ScanOption::Role role;
    const char *label;
};
constexpr BasicRow kBasicRows[] = {
    {ScanOption::Role::Source, QT_TRANSLATE_NOOP("CScanOptionsDlg", "مصدر الورق")},
    {ScanOption::Role::Mode, QT_TRANSLATE_NOOP("CScanOptionsDlg", "نوع المسح")},
    {ScanOption::Role::Resolution, QT_TRANSLATE_NOOP("CScanOptionsDlg", "الدقة")},
    {ScanOption::Role::TopLeftX, QT_TRANSLATE_NOOP("CScanOptionsDlg", "بداية المنطقة من اليسار")},
    {ScanOption::Role::TopLeftY, QT_TRANSLATE_NOOP("CScanOptionsDlg", "بداية المنطقة من الأعلى")},
    {ScanOption::Role::BottomRightX, QT_TRANSLATE_NOOP("CScanOptionsDlg", "نهاية المنطقة من اليسار")},
    {ScanOption::Role::BottomRightY, QT_TRANSLATE_NOOP("CScanOptionsDlg", "نهاية المنطقة من الأعلى")},
};

QString numberText(double v, const ScanOption &o)
{
    const QString n = o.type == ScanOption::Type::Fixed ? QString::number(v, 'g', 6) : QString::number(qint64(v));
    const QString unit = o.unitText();
    return unit.isEmpty() ? n : n + u' ' + unit;
}

} // namespace

CScanOptionsDlg::CScanOptionsDlg(CTwain &scanner, QWidget *parent)
    : QDialog(parent)
    , m_scanner(scanner)
    , m_device(new QLabel(this))
    , m_basicPage(new QWidget(this))
    , m_basic(new QFormLayout(m_basicPage))
    , m_advanced(new QGroupBox(this))
    , m_advancedForm(nullptr)
    , m_showAdvanced(new QToolButton(this))
{
    setWindowTitle(tr("خيارات المسح الضوئي"));
    setObjectName(u"CScanOptionsDlg"_s);
    setLayoutDirection(Qt::RightToLeft);
    auto *layout = new QVBoxLayout(this);
    m_device->setObjectName(u"device"_s);
    layout->addWidget(m_device);
    layout->addWidget(m_basicPage);

    m_showAdvanced->setObjectName(u"showAdvanced"_s);
    m_showAdvanced->setText(tr("خيارات متقدمة"));
    m_showAdvanced->setCheckable(true);
    m_showAdvanced->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_showAdvanced->setArrowType(Qt::LeftArrow);
    layout->addWidget(m_showAdvanced);

    // The advanced options can be many: they scroll inside their part.
    auto *scroll = new QScrollArea(m_advanced);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *inner = new QWidget(scroll);
    m_advancedForm = new QFormLayout(inner);
    scroll->setWidget(inner);
    auto *advancedLayout = new QVBoxLayout(m_advanced);
    advancedLayout->addWidget(scroll);
    m_advanced->setObjectName(u"advanced"_s);
    m_advanced->setMinimumHeight(220);
    m_advanced->setVisible(false);
    layout->addWidget(m_advanced, 1);
    connect(m_showAdvanced, &QToolButton::toggled, this, [this](bool on) {
        m_advanced->setVisible(on);
        m_showAdvanced->setArrowType(on ? Qt::DownArrow : Qt::LeftArrow);
        adjustSize();
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("مسح"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"scan"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("الغاء"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    rebuild();
    setMinimumWidth(480);
}

QWidget *CScanOptionsDlg::editor(const QString &optionName) const
{
    return findChild<QWidget *>(optionName);
}

void CScanOptionsDlg::rebuild()
{
    m_rebuildPending = false;
    m_device->setText(tr("الماسح الضوئي: %1").arg(m_scanner.source()));
    while (m_basic->rowCount() > 0)
        m_basic->removeRow(0);
    while (m_advancedForm->rowCount() > 0)
        m_advancedForm->removeRow(0);
    const ScanOptions &options = m_scanner.options();
    for (const BasicRow &row : kBasicRows) {
        const ScanOption *o = options.find(row.role);
        if (!o || !o->isEditable())
            continue;
        m_basic->addRow(tr(row.label), makeEditor(*o, m_basicPage));
    }
    int advanced = 0;
    for (const ScanOption &o : options.all()) {
        if (o.role != ScanOption::Role::Advanced || !o.isEditable())
            continue;
        m_advancedForm->addRow(o.title.isEmpty() ? o.name : o.title,
                               makeEditor(o, m_advancedForm->parentWidget()));
        ++advanced;
    }
    m_showAdvanced->setVisible(advanced > 0);
}

QWidget *CScanOptionsDlg::makeEditor(const ScanOption &o, QWidget *parent)
{
    QWidget *w = nullptr;
    const QString name = o.name;
    if (o.type == ScanOption::Type::Bool) {
        auto *box = new QCheckBox(parent);
        box->setChecked(o.value.toBool());
        connect(box, &QCheckBox::toggled, this, [this, name](bool on) { change(name, on); });
        w = box;
    } else if (o.constraint == ScanOption::Constraint::Strings || o.constraint == ScanOption::Constraint::List) {
        auto *box = new QComboBox(parent);
        if (o.constraint == ScanOption::Constraint::Strings) {
            for (const QString &s : o.strings)
                box->addItem(s, s);
        } else {
            for (double n : o.numbers)
                box->addItem(numberText(n, o), n);
        }
        const int at = o.constraint == ScanOption::Constraint::Strings
            ? box->findData(o.value.toString())
            : box->findData(o.value.toDouble());
        box->setCurrentIndex(at);
        connect(box, &QComboBox::activated, this, [this, name, box](int index) { change(name, box->itemData(index)); });
        w = box;
    } else if (o.type == ScanOption::Type::String) {
        auto *edit = new QLineEdit(o.value.toString(), parent);
        edit->setMaxLength(std::max(0, o.valueSize - 1));
        connect(edit, &QLineEdit::editingFinished, this, [this, name, edit] { change(name, edit->text()); });
        w = edit;
    } else {
        auto *spin = new QDoubleSpinBox(parent);
        spin->setDecimals(o.type == ScanOption::Type::Fixed ? 2 : 0);
        if (o.constraint == ScanOption::Constraint::Range) {
            spin->setRange(o.minimum, o.maximum);
            if (o.step > 0)
                spin->setSingleStep(o.step);
        } else {
            spin->setRange(-1e9, 1e9);
        }
        if (!o.unitText().isEmpty())
            spin->setSuffix(u' ' + o.unitText());
        spin->setValue(o.value.toDouble());
        spin->setKeyboardTracking(false);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, name](double v) { change(name, v); });
        w = spin;
    }
    w->setObjectName(name);
    w->setToolTip(o.description);
    return w;
}

void CScanOptionsDlg::change(const QString &name, const QVariant &value)
{
    if (Status s = m_scanner.setOption(name, value); !s.ok())
        MessageBox::warning(this, s.error());
    // After the signal that brought the change has returned: its editor goes with the old form.
    if (!m_rebuildPending) {
        m_rebuildPending = true;
        QTimer::singleShot(0, this, &CScanOptionsDlg::rebuild);
    }
}
