// A script as a stand-alone HTML page coloured with the current styles.
#pragma once

#include "app/settings.h"

#include <string>
#include <string_view>

// One <pre> in the <body>, a <span class="..."> per token (comment, function, keyword, number,
// punctuation, string), plain text unwrapped, HTML-escaped, invalid UTF-8 as U+FFFD.
// With syntax highlighting off the whole script is plain.
std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings);
