#include "settings.h"

void Settings::SetDefaultStyles()
{
    style(StyleKind::Comment).Set(MakeColor(0, 192, 0), 1, 0, 0);
    style(StyleKind::Function).Set(MakeColor(0, 0, 0), 1, 0, 0);
    style(StyleKind::Keyword).Set(MakeColor(0, 0, 255), 0, 0, 0);
    style(StyleKind::Number).Set(MakeColor(255, 0, 255), 0, 0, 0);
    style(StyleKind::Punctuation).Set(MakeColor(128, 128, 128), 1, 0, 0);
    style(StyleKind::String).Set(MakeColor(255, 0, 0), 0, 0, 0);
}

Settings &Settings::Global()
{
    static Settings store;
    return store;
}

const char *StyleBlockName(StyleKind kind)
{
    static const char *const names[kStyleKindCount] = {
        "comment_style", "function_style", "keyword_style",
        "number_style", "punctuation_style", "string_style",
    };
    return names[int(kind)];
}
