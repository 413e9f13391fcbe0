#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32C (the Castagnoli polynomial, as iSCSI and ext4 use it) of the bytes a copy carries,
// taken as they go by. The processor's own instruction is used where it has one.
class Crc32c
{
public:
    void add(const void *data, size_t size);
    uint32_t value() const { return ~m_state; }

    // The same sum, always without the processor's instruction.
    static uint32_t portable(const void *data, size_t size);
    static bool hardware();

private:
    uint32_t m_state = 0xffffffffu;
};
