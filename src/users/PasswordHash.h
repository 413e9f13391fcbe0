#pragma once

#include "base/Result.h"

#include <QString>

// Passwords are kept as argon2id hashes, never as the text itself.
namespace PasswordHash {

Result<QString> make(const QString &password);
// Costs one argon2id check whatever the stored hash is, an empty one included, so that how long a
// refusal takes tells nothing about the account.
bool matches(const QString &storedHash, const QString &password);
// The same check against a hash no password matches: a name nobody has costs what a wrong
// password costs. Always false.
bool matchesNobody(const QString &password);
// A password nobody chose: `length` letters and digits drawn from the system's random source,
// leaving out those that are easily misread (0 O 1 l I).
Result<QString> random(int length = 12);

} // namespace PasswordHash
