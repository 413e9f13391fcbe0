#pragma once

#include "FolderSearchRunner.h"
#include "FoundFilesModel.h"

#include <QDialog>

#include <functional>

class CCardDlg;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeView;

// "بحث في الكمبيوتر": finds files by folder, name, size and contained text, lists them, opens
// them, shows their properties and hands the chosen ones to the card's file list. The walk runs
// on FolderSearchRunner's thread; the window stays live meanwhile and its search button stops it.
class CFindFilesDlg : public QDialog
{
    Q_OBJECT

public:
    // The card dialog whose file list receives the chosen files; may be null (nothing is handed).
    explicit CFindFilesDlg(CCardDlg *card, QWidget *parent = nullptr);
    ~CFindFilesDlg() override;

    static QString searchCaption();
    static QString cancelCaption();

    // Controls, for the tests.
    QLineEdit *folderBox() const { return m_folder; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *textBox() const { return m_text; }
    QCheckBox *subFoldersBox() const { return m_subFolders; }
    QCheckBox *sizeBox() const { return m_sizeOn; }
    QSpinBox *moreThanBox() const { return m_moreThan; }
    QSpinBox *lessThanBox() const { return m_lessThan; }
    QButtonGroup *modeGroup() const { return m_modes; }
    QPushButton *browseButton() const { return m_browse; }
    QPushButton *searchButton() const { return m_search; }
    QPushButton *okButton() const { return m_ok; }
    QTreeView *resultList() const { return m_list; }
    QLabel *statusLabel() const { return m_status; }
    const FoundFilesModel &results() const { return m_model; }
    bool isSearching() const { return m_runner.isRunning(); }

    // What a double-click opens a file with; the desktop's default program unless a test sets it.
    void setFileOpener(std::function<void(const QString &)> open) { m_open = std::move(open); }

    // The options the controls describe.
    FolderSearchOptions options() const;

public slots:
    void browse();
    // Starts a search, or stops the running one.
    void searchOrStop();
    void accept() override;
    void reject() override;

signals:
    // A search has ended and its count is shown.
    void searchEnded(int total, bool stopped);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void startSearch();
    void showCount(int total, const QString &folder);
    void fitColumns();
    void openRow(const QModelIndex &index);
    void showProperties(const QPoint &pos);

    CCardDlg *m_card;
    FolderSearchRunner m_runner;
    FoundFilesModel m_model;
    FoundFilesModel::ListMode m_mode = FoundFilesModel::Replace;
    std::function<void(const QString &)> m_open;

    QLineEdit *m_folder;
    QPushButton *m_browse;
    QLineEdit *m_name;
    QLineEdit *m_text;
    QCheckBox *m_subFolders;
    QCheckBox *m_sizeOn;
    QSpinBox *m_moreThan;
    QSpinBox *m_lessThan;
    QButtonGroup *m_modes;
    QPushButton *m_search;
    QTreeView *m_list;
    QLabel *m_status;
    QPushButton *m_ok;
};
