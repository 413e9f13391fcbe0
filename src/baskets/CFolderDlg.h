#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The copy-to-folder dialog of a report.
//
// "نسخ الى مجلد": asks for the folder the hits of a report are copied into. On OK the folder is
// made (one level) and, when asked for, opened in the desktop's file manager.
class CFolderDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFolderDlg(QWidget *parent = nullptr);

    // The edit's text once the dialog was confirmed.
    QString folder() const;

    QLineEdit *folderEdit() const { return m_folder; }
    QPushButton *browseButton() const { return m_browse; }
    QCheckBox *openFolderBox() const { return m_open; }

    void accept() override;

    // Tests: instead of opening the folder in the file manager, hand it to this.
    static void setFolderOpener(std::function<void(const QString &)> opener);

private:
    void browse();

    QLineEdit *m_folder;
    QPushButton *m_browse;
    QCheckBox *m_open;
};
