// A script as a stand-alone HTML page coloured with the current styles.
#pragma once

#include "app/settings.h"

#include <string>
#include <string_view>

// One <pre> in the <body>, a <span class="..."> per run of one token kind (comment, function,
// keyword, number, punctuation, string), plain text unwrapped, HTML-escaped. Each byte that is
// not part of well-formed UTF-8 becomes one U+FFFD, as do NUL and other control characters but
// tab and line breaks; CR LF and lone CR become LF. With syntax highlighting off the whole
// script is plain.
std::string ExportHtml(std::string_view script, std::string_view title, const Settings &settings);
