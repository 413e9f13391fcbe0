#pragma once

#include "base/AppState.h"

#include <QDialog>

class QCheckBox;
class QFontComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Place text to image": the text the text tool draws and how it looks. The settings are the
// ones the program keeps between runs; the text is asked for each time.
class CTextDlg : public QDialog
{
    Q_OBJECT

public:
    CTextDlg(const TextToolSettings &settings, const QString &text, QWidget *parent = nullptr);

    TextToolSettings settings() const;
    QString text() const;

    // The colour value the settings keep (0x00BBGGRR) and back.
    static QColor fromColourValue(quint32 value);
    static quint32 toColourValue(const QColor &colour);

private:
    void chooseColour(QPushButton *button, quint32 *value);
    static void showColour(QPushButton *button, quint32 value);

    TextToolSettings m_settings;
    QString m_shownFace; // what the list shows for the kept face, which may not be installed
    QLineEdit *m_text;
    QFontComboBox *m_face;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QCheckBox *m_underline;
    QPushButton *m_textColour;
    QPushButton *m_backColour;
    QCheckBox *m_opaque;
    QSpinBox *m_opacity;
    QSpinBox *m_radius;
};
