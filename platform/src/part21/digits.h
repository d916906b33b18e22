// Decimal digits read eight bytes at a time: numbers and instance numbers are much of a file's text.
#pragma once

#include <cstdint>
#include <cstring>

namespace nusk_p21 {

/// The value of eight decimal digits, `d` holding them less '0', the first digit in the lowest byte.
inline uint64_t eightDigits(uint64_t d) {
    d = d * 10 + (d >> 8);  // each byte pair: two-digit values in every other byte
    return (((d & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
            (((d >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
           32;
}

/// Adds the digits from p on to `mantissa`; returns the first non-digit. The digit runs of coordinates are
/// long (13 to 17 digits), so they are taken eight bytes at a time while eight bytes are left; a run longer
/// than 19 digits wraps `mantissa`, which callers reject by the count of digits.
inline const char* digitRun(const char* p, const char* end, uint64_t& mantissa) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__  // the first byte is the lowest
    static const uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    while (end - p >= 8) {
        uint64_t bytes;
        std::memcpy(&bytes, p, 8);
        const uint64_t d = bytes - 0x3030303030303030ull;
        // A byte is no digit when d's byte is at least 10: its high bit is set in d (below '0') or in d + 0x76.
        // Borrows and carries only reach later bytes, which count only after the first non-digit.
        const uint64_t nonDigit = (d | (d + 0x7676767676767676ull)) & 0x8080808080808080ull;
        const unsigned n = nonDigit ? static_cast<unsigned>(__builtin_ctzll(nonDigit)) / 8 : 8;
        if (n == 0) return p;
        // The n digits moved to the top, zeros (leading zero digits) below them.
        mantissa = mantissa * kScale[n] + eightDigits(n == 8 ? d : d << (8 * (8 - n)));
        p += n;
        if (n < 8) return p;
    }
#endif
    for (; p < end; ++p) {
        const unsigned d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
        if (d > 9) break;
        mantissa = mantissa * 10 + d;
    }
    return p;
}

}  // namespace nusk_p21
