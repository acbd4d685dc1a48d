// The call the caret stands in, read back from the caret over the lines before it: a call to
// Tarn's `tm_addmaterial` takes thirteen arguments and is often written over as many lines.
// The read is local: it starts a bounded number of lines above the caret, so its cost does not
// grow with the script.
#pragma once

#include <cstddef>
#include <string_view>

struct CallContext {
    std::size_t open = 0;  // index of the call's "(" in the text read
    std::string_view word; // what stands before "(" back to the last white space, as typed
    int parameter = 1;     // counted from 1: one more than the call's own commas before the end
};

// text: whole lines up to the caret (its end). The innermost call whose "(" is still open at
// the end, a "(" with white space before it (a bracketed expression) aside, leaving out brackets, strings and comments (long ones too) that the text closes
// again; false when there is none. A word that is no name ("a=f", "f(g") is handed back as it
// stands: whoever looks it up finds nothing.
bool FindCallContext(std::string_view text, CallContext &out);

// How far back the read goes: the lines a call is written over, generously.
inline constexpr int kCallContextLines = 64;
inline constexpr std::size_t kCallContextBytes = 16 << 10;
