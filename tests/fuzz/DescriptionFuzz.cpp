// The description a feed writer leaves in a JPEG after "@AFPs@": whatever the file holds, the
// description is printable text of at most 1500 characters, and reading it from the file gives
// what reading it from the file's bytes gives.
#include "FuzzSupport.h"

#include "baskets/DescriptionReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const QByteArray window = DescriptionReader::printableWindow(bytes);
    FUZZ_EXPECT(window.size() <= DescriptionReader::kMaxKept);
    for (char c : window)
        FUZZ_EXPECT(uchar(c) >= 31 && uchar(c) <= 127);

    const QString inBytes = DescriptionReader::descriptionInFile(bytes);
    FUZZ_EXPECT(inBytes.size() <= DescriptionReader::kMaxKept);
    for (QChar c : inBytes)
        FUZZ_EXPECT(c.unicode() >= 31 && c.unicode() <= 127);
    // A description only comes with its marker.
    const QByteArray read = bytes.mid(DescriptionReader::kReadOffset, DescriptionReader::kReadLength);
    if (!DescriptionReader::printableWindow(read).contains(DescriptionReader::kMarker))
        FUZZ_EXPECT(inBytes.isEmpty());

    const QString folder = Fuzz::scratchFolder();
    const QString jpeg = folder + QStringLiteral("/page.jpg");
    Fuzz::writeFile(jpeg, bytes);
    FUZZ_EXPECT(DescriptionReader::readDescription(jpeg, DescriptionReader::Form::Display) == inBytes);
    FUZZ_EXPECT(DescriptionReader::readDescription(jpeg, DescriptionReader::Form::Archive) == inBytes);
    // The grids read only ".jpg" names; archiving reads every file.
    const QString other = folder + QStringLiteral("/page.JPG");
    Fuzz::writeFile(other, bytes);
    FUZZ_EXPECT(DescriptionReader::readDescription(other, DescriptionReader::Form::Display).isEmpty());
    FUZZ_EXPECT(DescriptionReader::readDescription(other, DescriptionReader::Form::Archive) == inBytes);
    return 0;
}
