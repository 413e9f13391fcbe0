#pragma once

#include "base/Result.h"

#include <QString>

// Passwords are kept as argon2id hashes, never as the text itself.
namespace PasswordHash {

Result<QString> make(const QString &password);
bool matches(const QString &storedHash, const QString &password);
// A password nobody chose: `length` letters and digits drawn from the system's random source,
// leaving out those that are easily misread (0 O 1 l I).
Result<QString> random(int length = 12);

} // namespace PasswordHash
