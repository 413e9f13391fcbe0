#include "Checksum.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kPolynomial = 0x82f63b78u; // reversed 0x1edc6f41

constexpr std::array<uint32_t, 256> makeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = makeTable();

uint32_t addPortable(uint32_t state, const unsigned char *p, size_t n)
{
    while (n--)
        state = kTable[(state ^ *p++) & 0xffu] ^ (state >> 8);
    return state;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) uint32_t addHardware(uint32_t state, const unsigned char *p, size_t n)
{
    uint64_t s = state;
    while (n >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        s = __builtin_ia32_crc32di(s, word);
        p += 8;
        n -= 8;
    }
    auto s32 = uint32_t(s);
    while (n--)
        s32 = __builtin_ia32_crc32qi(s32, *p++);
    return s32;
}
#endif

} // namespace

bool Crc32c::hardware()
{
#if defined(__x86_64__)
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
#else
    return false;
#endif
}

void Crc32c::add(const void *data, size_t size)
{
    const auto *p = static_cast<const unsigned char *>(data);
#if defined(__x86_64__)
    if (hardware()) {
        m_state = addHardware(m_state, p, size);
        return;
    }
#endif
    m_state = addPortable(m_state, p, size);
}

uint32_t Crc32c::portable(const void *data, size_t size)
{
    return ~addPortable(0xffffffffu, static_cast<const unsigned char *>(data), size);
}
