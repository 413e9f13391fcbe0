#pragma once

#include "CFExeption.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// The file operations of the card dialog.
//
// Deletes a file or a folder tree and copies a file or a folder tree, on the caller's thread.
// DeleteItem and CopyItem never throw: a failure is kept as the last error (text and system
// code) and reported through their result.
class CFileOperation
{
    Q_DECLARE_TR_FUNCTIONS(CFileOperation)

public:
    enum class Answer { Yes, No, Cancel };
    // Asks the user whether a read-only file may be deleted. Core shows no windows: the front
    // end routes this to its message box (question icon; Yes, No and Cancel).
    using Question = std::function<Answer(const QString &text, const QString &title)>;

    CFileOperation();

    // The read-only question about a file and its caption, as every caller asks it.
    static QString readOnlyQuestion(const QString &path);
    static QString readOnlyTitle();

    // A file, or a folder with everything below it; a link is removed itself, never followed.
    // False only for a failure with a system code: a read-only file the user keeps, or a
    // cancelled delete, still gives true.
    bool DeleteItem(const QString &path);
    // A file onto a file, a file into a folder, or a folder with its tree into a folder.
    bool CopyItem(const QString &source, const QString &destination);

    void setAskIfReadOnly(bool ask) { m_askIfReadOnly = ask; }
    bool askIfReadOnly() const { return m_askIfReadOnly; }
    void setOverwriteMode(bool overwrite) { m_overwrite = overwrite; }
    bool overwriteMode() const { return m_overwrite; }
    // Without a question every read-only file is answered No.
    void setQuestion(Question question) { m_question = std::move(question); }

    const QString &lastErrorText() const { return m_errorText; }
    quint32 lastErrorCode() const { return m_errorCode; }
    // Whether the last delete left a file behind or was cancelled.
    bool aborted() const { return m_aborted; }

private:
    void deleteRecursive(const QString &path);
    bool mayDelete(const QString &path);
    Answer ask(const QString &path) const;

    void copy(const QString &source, const QString &destination);
    QString makeFolderCopy(const QString &source, const QString &destination);
    void copyContents(const QString &source, const QString &destination, const QStringList &names);
    void copyFile(const QString &source, const QString &target);
    void copyLink(const QString &source, const QString &target);
    void placeOver(const QByteArray &temporary, const QByteArray &target);

    void record(const CFExeption &error);

    Question m_question;
    QString m_errorText;
    quint32 m_errorCode = 0;
    bool m_askIfReadOnly = true;
    bool m_overwrite = false;
    bool m_aborted = false;
    // How many more sub-folders the running folder copy may enter, -1 for no limit. One counter
    // for the whole copy: a folder copied into its own sub-folder must never reach its copy.
    int m_depthLimit = -1;
};
