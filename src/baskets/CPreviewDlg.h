#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QSize>

class CGridCtrl;
class QPlainTextEdit;

// The preview window.
//
// One picture shown large with its description beneath it. Made once, hidden, when the program
// starts; the report window and the basket viewer show it and then send it what to show. It keeps
// its last picture, caption and description while hidden.
class CPreviewDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kGridKind = 92;
    static constexpr QSize kPictureSize{300, 270};
    static constexpr int kImageSlots = 10;

    enum Mode {
        DescriptionFromFile = 0, // read from the picture with the description reader
        DescriptionGiven = 1,    // the caller's text
    };

    explicit CPreviewDlg(QWidget *parent = nullptr);

    // Replaces the picture and the caption; the description as the mode says (any other mode
    // keeps the one shown).
    void showPreview(const QString &path, const QString &caption, const QString &description, int mode);
    // What a double-click in a report or a basket viewer asks for: the window shown and raised
    // above the others, then the show request.
    void present(const QString &path, const QString &caption, const QString &description, int mode);

    // Where a picture of this size is drawn in the 300 x 270 box: one taller than 0.9 of its width
    // fills the height, any other the width; the other side is centred.
    static QRect placement(QSize picture);
    // The 300 x 270 box for a decoded picture; a null picture gives the empty framed box.
    static QImage compose(const QImage &picture);
    // The file decoded at the size it is drawn at; null when it cannot be decoded.
    static QImage decode(const QString &path);

    CGridCtrl *grid() const { return m_grid; }
    QPlainTextEdit *descriptionEdit() const { return m_description; }
    const QImage &picture() const { return m_picture; }
    QString description() const;

private:
    CGridCtrl *m_grid;
    QPlainTextEdit *m_description;
    QImage m_picture;
};
