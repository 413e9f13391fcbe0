// The main part of a Word package, "word/document.xml": any bytes give a text or a refusal, never
// a crash, and a text never holds a zero character.
#include "FuzzSupport.h"

#include "text/DocxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Result<QString> text = DocxReader::textOfDocumentXml(Fuzz::bytesOf(data, size));
    if (!text) {
        FUZZ_EXPECT(!text.error().isEmpty());
        return 0;
    }
    FUZZ_EXPECT(!text->contains(QChar(0)));
    return 0;
}
