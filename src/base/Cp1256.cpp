#include "Cp1256.h"

#include <QCoreApplication>

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

class Iconv
{
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

struct Cp1256Tr
{
    Q_DECLARE_TR_FUNCTIONS(Cp1256)
};

} // namespace

namespace Cp1256 {

QString decode(const QByteArray &bytes)
{
    Iconv cd("UTF-8", "CP1256");
    if (!cd.valid())
        return QString::fromLatin1(bytes);

    QByteArray out;
    out.reserve(bytes.size() * 2);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    std::vector<char> buffer(4 * bytes.size() + 16);
    while (inLeft > 0) {
        char *outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t rc = iconv(cd.handle(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), qsizetype(outPtr - buffer.data()));
        if (rc == size_t(-1) && errno == EILSEQ) {
            out.append("\xEF\xBF\xBD"); // U+FFFD for the few bytes the code page leaves undefined
            ++in;
            --inLeft;
        } else if (rc == size_t(-1) && errno != E2BIG) {
            break;
        }
    }
    return QString::fromUtf8(out);
}

Result<QByteArray> encode(const QString &text)
{
    Iconv cd("CP1256", "UTF-8");
    if (!cd.valid())
        return Result<QByteArray>::failure(Cp1256Tr::tr("تعذر تحويل النص الى الترميز العربي 1256"));

    QByteArray utf8 = text.toUtf8();
    char *in = utf8.data();
    size_t inLeft = size_t(utf8.size());
    QByteArray out(utf8.size() + 16, '\0');
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        size_t rc = iconv(cd.handle(), &in, &inLeft, &outPtr, &outLeft);
        if (rc != size_t(-1))
            continue;
        if (errno == E2BIG) {
            qsizetype used = outPtr - out.data();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL: a character the code page has no byte for.
        const qsizetype offset = qsizetype(in - utf8.data());
        const QString rest = QString::fromUtf8(utf8.constData() + offset, utf8.size() - offset);
        const QString bad = rest.isEmpty() ? QString() : QString(rest.at(0));
        return Result<QByteArray>::failure(
            Cp1256Tr::tr("النص يحوي حرفا لا يكتب بالترميز العربي 1256: %1").arg(bad));
    }
    out.resize(outPtr - out.data());
    return out;
}

QByteArray encodeLossy(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    // Runs of writable text go through the code page whole; a character it refuses is replaced
    // and the run starts again after it. Surrogate pairs stay together.
    qsizetype start = 0;
    qsizetype i = 0;
    const auto flush = [&](qsizetype end) {
        if (end <= start)
            return;
        const Result<QByteArray> part = encode(text.mid(start, end - start));
        if (part) {
            out.append(*part);
            return;
        }
        for (qsizetype j = start; j < end; ++j) {
            const qsizetype width = text.at(j).isHighSurrogate() && j + 1 < end ? 2 : 1;
            const Result<QByteArray> one = encode(text.mid(j, width));
            out.append(one ? *one : QByteArray("?"));
            j += width - 1;
        }
    };
    // Plain ASCII never fails, so the work is split at line ends to keep a refusal's cost small.
    for (; i < text.size(); ++i) {
        if (text.at(i) == u'\n') {
            flush(i + 1);
            start = i + 1;
        }
    }
    flush(text.size());
    return out;
}

} // namespace Cp1256
