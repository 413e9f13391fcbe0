#pragma once

#include <QDialog>
#include <QVariantMap>

class QDialogButtonBox;
class QFormLayout;
class QVBoxLayout;

// What the dialogs of the image commands share: English texts laid out left to right inside the
// right-to-left program, OK as the default button (Enter) and Cancel on Escape, and a size fixed
// to what the controls need so nothing is cut off. Each dialog hands its settings to the command
// table as values by name (ImageParam), the command table's `ImageCommands::Values`.
class ImageCommandDlg : public QDialog
{
    Q_OBJECT

public:
    using Values = QVariantMap;

    virtual Values values() const = 0;

protected:
    ImageCommandDlg(const QString &title, QWidget *parent);

    QVBoxLayout *body() const { return m_body; }
    // A form of "Label :" rows added to the body.
    QFormLayout *addForm();
    // Adds OK and Cancel under the body; call once all controls are made, in their tab order.
    void finish();

private:
    QVBoxLayout *m_body;
    QDialogButtonBox *m_buttons = nullptr;
};
