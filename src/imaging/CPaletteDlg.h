#pragma once

#include <QDialog>
#include <QList>
#include <QRgb>
#include <QVariantMap>

class QButtonGroup;
class QCheckBox;
class QLabel;
class PaletteGrid;

// "Palette": shows and edits the entries of a picture's palette, loads them from and saves them
// to palette files, and says how OK applies them to the picture.
class CPaletteDlg : public QDialog
{
    Q_OBJECT

public:
    enum LoadOption { MaintainIndexes = 0, NearestColour = 1, ErrorDiffusion = 2 };

    explicit CPaletteDlg(const QList<QRgb> &palette, QWidget *parent = nullptr);

    QList<QRgb> palette() const;
    bool changed() const { return m_changed; }
    LoadOption loadOption() const;
    // The palette command's values: the entries and the load option.
    QVariantMap values() const;
    QString hoverText() const;

    static QString entryText(int index, QRgb colour); // " I : %d, RGBA : %d, %d, %d, %d"

private:
    void editEntry(int index);
    void load();
    void save();

    int m_pictureColours;
    bool m_changed = false;
    PaletteGrid *m_grid;
    QCheckBox *m_editAlpha;
    QButtonGroup *m_options;
    QLabel *m_info;
};
