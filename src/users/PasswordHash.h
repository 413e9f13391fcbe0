#pragma once

#include "base/Result.h"

#include <QString>

// Passwords are kept as argon2id hashes, never as the text itself.
namespace PasswordHash {

Result<QString> make(const QString &password);
bool matches(const QString &storedHash, const QString &password);

} // namespace PasswordHash
