// Palette files (.pal) of the image editor, JASC text or RIFF: whatever the file holds, at most
// 256 colours and never more than the picture has, and the colours read are saved as a RIFF
// palette that reads back as the same colours.
#include "FuzzSupport.h"

#include "imaging/PaletteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte is the number of colours of the picture the palette is loaded into.
    const int pictureColours = data[0];
    const QByteArray bytes = Fuzz::bytesOf(data + 1, size - 1);
    const Result<PaletteFile::Loaded> loaded = PaletteFile::parse(bytes, pictureColours);
    if (!loaded) {
        FUZZ_EXPECT(!loaded.error().isEmpty());
        return 0;
    }
    FUZZ_EXPECT(loaded->colours.size() <= PaletteFile::kMaxColours);
    if (pictureColours > 0)
        FUZZ_EXPECT(loaded->colours.size() <= pictureColours);

    const QByteArray riff = PaletteFile::riffBytes(loaded->colours);
    const Result<PaletteFile::Loaded> again = PaletteFile::parse(riff, 0);
    FUZZ_EXPECT(again && again->colours == loaded->colours && again->warning.isEmpty());
    return 0;
}
