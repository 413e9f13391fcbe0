#pragma once

#include "base/AppState.h"
#include "base/Result.h"
#include "db/Database.h"

#include <QString>

// The remembered user "COM/CUSR.txt": one 50-byte record holding the name, "***" and a zero byte.
namespace RememberedUser {

inline constexpr int kRecordSize = 50;
// The longest name the record can hold with its "***" and zero byte.
inline constexpr int kMaxNameBytes = kRecordSize - 4;

QString path(const QString &programFolder);
// The name up to the first zero byte, cut at the first "***". A missing or short file reads as
// zeros, so it offers an empty name; a record without "***" offers its text as it stands.
QString read(const QString &programFolder);
// A name the record cannot hold (longer than 46 bytes, holding "***" or ending in "*", or with a
// character the code page lacks) is not remembered: the record is written empty, so the
// next start offers no wrong name.
Status write(const QString &programFolder, const QString &name);

} // namespace RememberedUser

// The check of the login form's OK button.
class Login
{
public:
    enum class Outcome { Accepted, UnknownUser, WrongPassword, Failed };

    struct Answer
    {
        Outcome outcome = Outcome::Failed;
        QString message; // the text to show; empty when accepted
    };

    // Sets the current user to the typed name first, as the form does on every attempt, then
    // looks the name up exactly (without regard to letter case) and checks the password against
    // its hash. On success copies the rights and the access list into the state and remembers
    // the name.
    static Answer attempt(AppState &state, const Database &db, const QString &typedName, const QString &password,
                          bool showHelp);

    static QString unknownUserMessage();
    static QString wrongPasswordMessage();
};
