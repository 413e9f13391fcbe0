// The paths file "COM/pathes.txt": whatever its bytes, every slot reads as a value without "*"
// that fits its slot, and a value list the file accepts reads back the same.
#include "FuzzSupport.h"

#include "base/Cp1256.h"
#include "base/PathsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const PathsFile::Contents contents = PathsFile::parse(bytes);
    FUZZ_EXPECT(contents.firstRun == (bytes.isEmpty() || bytes.at(0) == '\0'));
    for (int slot = 0; slot < PathsFile::kSlotCount; ++slot) {
        const QString &value = contents.values[slot];
        FUZZ_EXPECT(!value.contains(u'*'));
        FUZZ_EXPECT(!value.contains(QChar(0)));
        // A value comes from inside its 120-byte slot, one byte a character at most.
        FUZZ_EXPECT(value.size() < PathsFile::kSlotSize);
    }

    const Result<QByteArray> composed = PathsFile::compose(contents.values);
    if (composed) {
        FUZZ_EXPECT(composed->size() == PathsFile::kFileSize);
        const PathsFile::Contents again = PathsFile::parse(*composed);
        FUZZ_EXPECT(again.values == contents.values);
        // Composing what was read gives the same bytes a second time.
        const Result<QByteArray> twice = PathsFile::compose(again.values);
        FUZZ_EXPECT(twice && *twice == *composed);
    } else {
        // Only a value that cannot be written back is refused: too long, or not in the code page.
        bool unwritable = false;
        for (int slot = 0; slot < PathsFile::kSlotCount; ++slot) {
            const Result<QByteArray> encoded = Cp1256::encode(contents.values[slot]);
            unwritable = unwritable || !encoded || encoded->size() > PathsFile::maxValueBytes(slot);
        }
        FUZZ_EXPECT(unwritable);
    }

    // The start date of slot 9: a date it reads is written back as the same date.
    if (const std::optional<QDate> date = PathsFile::parseStartDate(contents.values[PathsFile::StartDate])) {
        FUZZ_EXPECT(date->isValid());
        FUZZ_EXPECT(PathsFile::parseStartDate(PathsFile::formatStartDate(*date)) == date);
    }
    return 0;
}
