#pragma once

#include "base/AppState.h"

#include <QDialog>

class CGridCtrl;
class QComboBox;
class QDateEdit;
class QLineEdit;

// The system settings dialog.
//
// "اعدادات النظام": the folders of the archive, the company name, the marking mode, the series
// budget and number, the archive start date and the ten information feeds. Everything is read
// afresh when the form opens and written at once by "حفظ".
class CSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFeedsGridKind = 200;

    explicit CSettingsDlg(const AppState &state, QWidget *parent = nullptr);

    void load();
    // Writes every file; a value the files cannot hold is refused with a message and nothing is
    // written. True when saved.
    bool save();
    void resetLock();

    CGridCtrl *feedsGrid() const { return m_feeds; }
    QLineEdit *field(int id) const;
    QComboBox *markingBox() const { return m_marking; }
    QDateEdit *startDateBox() const { return m_startDate; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildFeedsGrid();
    void browseInto(QLineEdit *edit);

    const AppState &m_state;
    QLineEdit *m_company;
    QLineEdit *m_scanner;
    QLineEdit *m_fax;
    QLineEdit *m_fileServer;
    QLineEdit *m_dataServer;
    QLineEdit *m_spare;
    QComboBox *m_marking;
    QLineEdit *m_budget;
    QLineEdit *m_series;
    QDateEdit *m_startDate;
    CGridCtrl *m_feeds;
};
