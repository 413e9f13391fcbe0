#pragma once

#include "ImageCommandDlg.h"

#include <QList>
#include <QStringList>

#include <array>

class QComboBox;
class QLabel;

// "Combine ...": builds a new picture from four channels, each taken from an open picture, read
// as the channels of a colour space.
class CCombineDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    static constexpr int kRows = 4;

    // `windows`: the titles of the open pictures; `current` the active one, where every row starts.
    CCombineDlg(const QStringList &windows, int current, QWidget *parent = nullptr);
    Values values() const override;
    // The chosen pictures, as indexes into `windows`, one per row.
    QList<int> sources() const;

private:
    void colourSpaceChanged(int space);

    QComboBox *m_colourSpace;
    std::array<QLabel *, kRows> m_labels{};
    std::array<QComboBox *, kRows> m_windows{};
    std::array<QComboBox *, kRows> m_channels{};
};
