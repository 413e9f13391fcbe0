#include "FileQuestion.h"

#include "ui/MessageBox.h"

#include <QPointer>

CFileOperation::Question FileQuestion::over(QWidget *parent)
{
    return [window = QPointer<QWidget>(parent)](const QString &text, const QString &title) {
        switch (MessageBox::question(window, text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::No)) {
        case QMessageBox::Yes: return CFileOperation::Answer::Yes;
        case QMessageBox::No: return CFileOperation::Answer::No;
        default: return CFileOperation::Answer::Cancel;
        }
    };
}
