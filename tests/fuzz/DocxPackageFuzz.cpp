// A Word package as it arrives: a zip whose parts may lie about their sizes, be damaged or
// missing. Opening it gives a text or a refusal, and a file that is no package is never taken for
// one.
#include "FuzzSupport.h"

#include "text/DocxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::scratchFolder() + QStringLiteral("/letter.docx");
    Fuzz::writeFile(path, Fuzz::bytesOf(data, size));
    const bool package = DocxReader::isWordPackage(path);
    const Result<QString> text = DocxReader::read(path);
    if (!package)
        FUZZ_EXPECT(!text);
    if (!text)
        FUZZ_EXPECT(!text.error().isEmpty());
    return 0;
}
