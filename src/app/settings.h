// The one process-wide settings store: switches, indent unit, styles and the two tables.
#pragma once

#include "scribacobarray.h"
#include "textstyle.h"

#include <array>
#include <cstdint>
#include <string>

enum IndentMode : std::int32_t { TWOSPACES = 0, FOURSPACES = 1, TAB = 2 };

struct EditorOptions {
    std::int32_t autocompletion = 1;
    std::int32_t autoindentation = 1;
    IndentMode indent = TWOSPACES;
    std::int32_t intellitip = 1;
    std::int32_t syntaxhighlighting = 1;
    // Complete Name opens by itself after "name." and "name:". Kept in the profile store.
    std::int32_t namesaftermember = 1;

    bool operator==(const EditorOptions &) const = default;
};

struct Settings {
    EditorOptions options;
    std::array<TextStyle, kStyleKindCount> styles{};
    KeywordTable keywords;
    FunctionTable functions;

    TextStyle &style(StyleKind kind) { return styles[std::size_t(kind)]; }
    const TextStyle &style(StyleKind kind) const { return styles[std::size_t(kind)]; }

    // The styles a fresh program starts with, in StyleKind order.
    void SetDefaultStyles();

    bool operator==(const Settings &) const = default;

    // The store every part of the running program reads and writes in place.
    static Settings &Global();
};

// The file block name of each style ("comment_style", ...), in StyleKind order.
const char *StyleBlockName(StyleKind kind);
