// One character style of the colouring: a colour and three switches.
#pragma once

#include <cstdint>

// Colours are 0x00BBGGRR: red in the low byte.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColor(int red, int green, int blue)
{
    return ColorRef(red & 255) | (ColorRef(green & 255) << 8) | (ColorRef(blue & 255) << 16);
}
constexpr int RedOf(ColorRef c) { return int(c & 255); }
constexpr int GreenOf(ColorRef c) { return int((c >> 8) & 255); }
constexpr int BlueOf(ColorRef c) { return int((c >> 16) & 255); }

struct TextStyle {
    ColorRef color = 0;
    std::int32_t bold = 0;
    std::int32_t italic = 0;
    std::int32_t underline = 0;

    void Set(ColorRef newColor, std::int32_t newBold, std::int32_t newItalic, std::int32_t newUnderline)
    {
        color = newColor;
        bold = newBold;
        italic = newItalic;
        underline = newUnderline;
    }
    bool Differs(const TextStyle &other) const { return !(*this == other); }
    bool operator==(const TextStyle &) const = default;
};

// The six styles, in the fixed order of the Preferences list and the configuration file.
enum class StyleKind : int { Comment, Function, Keyword, Number, Punctuation, String };
constexpr int kStyleKindCount = 6;
