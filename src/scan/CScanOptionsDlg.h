#pragma once

#include "CTwain.h"

#include <QDialog>

class QFormLayout;
class QGroupBox;
class QLabel;
class QToolButton;
class QWidget;

// The options of the open scanner before a scan, built from the device's own descriptors: source,
// mode, resolution and scan area first, the rest of what the device offers in an advanced part.
// Every change goes to the device at once, since one option can change what the others offer;
// the form is then built again from what the device says.
class CScanOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    CScanOptionsDlg(CTwain &scanner, QWidget *parent = nullptr);

    // The editor of an option (its object name is the option's name), or null.
    QWidget *editor(const QString &optionName) const;
    QGroupBox *advancedPart() const { return m_advanced; }
    // Builds the form again from the device's options.
    void rebuild();

private:
    QWidget *makeEditor(const ScanOption &option, QWidget *parent);
    void change(const QString &name, const QVariant &value);

    CTwain &m_scanner;
    QLabel *m_device;
    QWidget *m_basicPage;
    QFormLayout *m_basic;
    QGroupBox *m_advanced;
    QFormLayout *m_advancedForm;
    QToolButton *m_showAdvanced;
    bool m_rebuildPending = false;
};
