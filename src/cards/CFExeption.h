#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The exception of the file operations.
//
// The failure of a file operation: the text shown for it and the system error code behind it,
// 0 when the failure is the operation's own (a missing path, a wrong kind of path).
class CFExeption : public std::exception
{
public:
    // The message is the system's own text for the code, in the neutral language, whatever the
    // user's locale is.
    static CFExeption fromSystemCode(int code);
    static CFExeption fromText(QString message);

    const QString &message() const { return m_message; }
    quint32 code() const { return m_code; }
    const char *what() const noexcept override;

private:
    CFExeption(QString message, quint32 code);

    QString m_message;
    QByteArray m_what;
    quint32 m_code = 0;
};
