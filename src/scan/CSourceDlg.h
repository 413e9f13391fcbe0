#pragma once

#include "CTwain.h"

#include <QDialog>

class QTreeWidget;

// "Select Source": the scanners SANE lists, network ones included, by name, maker and model.
class CSourceDlg : public QDialog
{
    Q_OBJECT

public:
    CSourceDlg(const QList<ScanDevice> &devices, const QString &current, QWidget *parent = nullptr);

    // The device chosen, empty when none is.
    QString chosen() const;
    QTreeWidget *list() const { return m_list; }

private:
    QTreeWidget *m_list;
};
