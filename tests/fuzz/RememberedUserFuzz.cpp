// The remembered user "COM/CUSR.txt": whatever the record holds, the offered name has no "***"
// and fits the record, and a name written there is offered again exactly, or not at all.
#include "FuzzSupport.h"

#include "base/Cp1256.h"
#include "users/Login.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString home = Fuzz::scratchFolder();
    QDir().mkpath(home + QStringLiteral("/COM"));
    Fuzz::writeFile(RememberedUser::path(home), Fuzz::bytesOf(data, size));

    const QString offered = RememberedUser::read(home);
    FUZZ_EXPECT(!offered.contains(QStringLiteral("***")));
    FUZZ_EXPECT(offered.size() <= RememberedUser::kRecordSize);
    FUZZ_EXPECT(!offered.contains(QChar(0)));

    FUZZ_EXPECT(RememberedUser::write(home, offered));
    FUZZ_EXPECT(Fuzz::readFile(RememberedUser::path(home)).size() == RememberedUser::kRecordSize);
    const QString again = RememberedUser::read(home);
    const Result<QByteArray> encoded = Cp1256::encode(offered);
    // A name ending in "*" would run into the "***" behind it and come back shorter.
    const bool fits = encoded && encoded->size() <= RememberedUser::kMaxNameBytes && !offered.endsWith(u'*');
    if (fits)
        FUZZ_EXPECT(again == offered);
    else
        FUZZ_EXPECT(again.isEmpty());
    return 0;
}
