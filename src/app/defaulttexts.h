// The built-in texts used when there is no configuration file yet. Every line ends with CR LF.
#pragma once

#include <string_view>

std::string_view DefaultHeaderText();
std::string_view DefaultKeywordsText();
std::string_view DefaultFunctionsText();
