// Any bytes read as a configuration file must write out to a file that reads back to the same
// settings and header and writes again byte for byte.
#include "app/initext.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::string_view kOpeningTags[] = {
    "[options]",      "[comment_style]",     "[function_style]", "[keyword_style]",      "[number_style]",
    "[punctuation_style]", "[string_style]", "[lua_keywords]",   "[tarn_lua_functions]",
};

// A table entry holding another block's opening tag reopens that block when its row is read
// back. Only a hand-made file can put one there, and the format has no way to escape it, so
// such settings are exempt from the settings part of the check.
bool HasForeignOpeningTag(const CScribaCObArray &table, std::string_view ownTag)
{
    for (const TableRow &row : table.Rows())
        for (const std::string &entry : row)
            for (std::string_view tag : kOpeningTags)
                if (tag != ownTag && entry.find(tag) != std::string::npos)
                    return true;
    return false;
}

Settings FreshSettings()
{
    Settings settings;
    settings.SetDefaultStyles();
    return settings;
}

void Require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "ini round trip: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Settings first = FreshSettings();
    std::string firstHeader;
    ReadIniText(std::string_view(reinterpret_cast<const char *>(data), size), first, firstHeader);
    const std::string written = WriteIniText(first, firstHeader);

    Settings second = FreshSettings();
    std::string secondHeader;
    ReadIniText(written, second, secondHeader);
    Require(secondHeader == firstHeader, "header changed");
    if (HasForeignOpeningTag(first.keywords, "[lua_keywords]") ||
        HasForeignOpeningTag(first.functions, "[tarn_lua_functions]"))
        return 0;
    Require(second == first, "settings changed");
    Require(WriteIniText(second, secondHeader) == written, "second write differs");
    return 0;
}
