// UTF-8 validation shared by file names and exported pages.
#pragma once

#include <cstddef>

// Length of the well-formed UTF-8 sequence at the start of [p, p + n), or 0 if there is none.
// Overlong forms, surrogates and code points above U+10FFFF are not well-formed.
inline std::size_t Utf8SequenceLength(const unsigned char *p, std::size_t n)
{
    const unsigned lead = p[0];
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (n < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    }
    return length;
}
