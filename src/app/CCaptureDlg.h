#pragma once

#include <QDialog>
#include <QImage>
#include <QList>

class QListWidget;

// "Capture": lists the top-level windows of the screen and takes a picture of the chosen one.
// Where the platform gives no window list, the whole desktop is offered instead.
class CCaptureDlg : public QDialog
{
    Q_OBJECT

public:
    struct Window
    {
        quintptr id = 0; // 0: the whole desktop
        QString title;
    };

    explicit CCaptureDlg(QWidget *parent = nullptr);

    const QList<Window> &windows() const { return m_windows; }
    void choose(int row);
    // The chosen window's picture, clipped to the screen; a null image when nothing could be taken.
    QImage grab() const;

    // The top-level windows the display server reports, with their titles.
    static QList<Window> topLevelWindows();

private:
    QList<Window> m_windows;
    QListWidget *m_list;
};
