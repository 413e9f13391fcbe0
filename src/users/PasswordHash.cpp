#include "PasswordHash.h"

#include <QCoreApplication>

#include <sodium.h>

namespace {

struct PasswordHashTr
{
    Q_DECLARE_TR_FUNCTIONS(PasswordHash)
};

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// A hash made once per process from a random text, with the parameters of every stored hash.
const QByteArray &decoyHash()
{
    static const QByteArray hash = [] {
        unsigned char secret[32];
        randombytes_buf(secret, sizeof secret);
        char out[crypto_pwhash_STRBYTES];
        if (crypto_pwhash_str(out, reinterpret_cast<const char *>(secret), sizeof secret,
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
            != 0) {
            return QByteArray();
        }
        return QByteArray(out);
    }();
    return hash;
}

} // namespace

namespace PasswordHash {

Result<QString> make(const QString &password)
{
    if (!sodiumReady())
        return Result<QString>::failure(PasswordHashTr::tr("تعذر تهيئة مكتبة التشفير"));
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0) {
        return Result<QString>::failure(PasswordHashTr::tr("تعذر حساب بصمة كلمة المرور (نفدت الذاكرة)"));
    }
    return QString::fromLatin1(out);
}

bool matches(const QString &storedHash, const QString &password)
{
    if (!sodiumReady())
        return false;
    if (storedHash.isEmpty())
        return matchesNobody(password);
    const QByteArray hash = storedHash.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

bool matchesNobody(const QString &password)
{
    if (!sodiumReady() || decoyHash().isEmpty())
        return false;
    const QByteArray utf8 = password.toUtf8();
    // Nothing hashes to the stand-in; the answer is "no" whatever the check says.
    [[maybe_unused]] const int matched =
        crypto_pwhash_str_verify(decoyHash().constData(), utf8.constData(), quint64(utf8.size()));
    return false;
}

Result<QString> random(int length)
{
    if (!sodiumReady())
        return Result<QString>::failure(PasswordHashTr::tr("تعذر تهيئة مكتبة التشفير"));
    static constexpr char kAlphabet[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    constexpr quint32 size = sizeof(kAlphabet) - 1;
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i)
        out += QLatin1Char(kAlphabet[randombytes_uniform(size)]);
    return out;
}

} // namespace PasswordHash
