// The order of the completion list and the name it selects for a typed word: names compare
// byte by byte with ASCII letters taken as lower case, so the list's order and the search for
// the word agree.
#pragma once

#include "app/scribacobarray.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

bool CompletionLess(std::string_view a, std::string_view b);

// Entry 0 of every row, in completion order; equal names keep their table order.
std::vector<std::string> CompletionNames(const FunctionTable &functions);

// Index of the first of the sorted names that is not less than word; names.size() when every
// name is less.
std::size_t FirstNotLess(const std::vector<std::string> &names, std::string_view word);
