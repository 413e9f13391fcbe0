#pragma once

#include "ImageCommandDlg.h"

#include <QImage>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// "Mix ...": lays one open picture ("Src :") over another ("Dst :") with one of ten operations.
class CMixDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    // Makes the preview for the chosen pictures (indexes into the titles) and values; the caller
    // mixes copies scaled down to at most kPreviewSide.
    using Preview = std::function<QImage(int dst, int src, const Values &values)>;
    static constexpr int kPreviewSide = 200;

    CMixDlg(const QStringList &windows, Preview preview, QWidget *parent = nullptr);
    Values values() const override;
    int destination() const;
    int source() const;
    // What the preview shows now; null until "Refresh Preview" was pressed.
    QImage previewImage() const { return m_shown; }

    // The operations in the order of the list, and the library's number of each.
    static const QStringList &operationNames();
    static int libraryOperation(int listIndex);

private:
    void refreshPreview();

    Preview m_preview;
    QComboBox *m_dst;
    QComboBox *m_src;
    QComboBox *m_operation;
    QSpinBox *m_x;
    QSpinBox *m_y;
    QCheckBox *m_alpha;
    QLabel *m_previewLabel;
    QImage m_shown;
};
