// Checks the calls in a script against the Tarn function table: argument counts. (Names that
// are in no table are the script model's undefined globals.)
#pragma once

#include "app/scribacobarray.h"
#include "check/callscanner.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct CallWarning {
    std::size_t start = 0; // the called name
    std::size_t end = 0;
    std::string message;
    int code = 0; // as warningcodes.h numbers them
};

class TarnCallChecker {
public:
    static constexpr std::size_t kNoLimit = std::size_t(-1);

    // The table must outlive the checker and stay unchanged while it is used.
    explicit TarnCallChecker(const FunctionTable &functions);

    // The warnings of one scan of text, in text order; no more than limit.
    std::vector<CallWarning> Check(std::string_view text, const CallScan &scan,
                                   std::size_t limit = kNoLimit) const;
    std::vector<CallWarning> Check(std::string_view text) const { return Check(text, ScanCalls(text)); }

    // The table name nearest to name among those of its prefix, or "" when none is near.
    std::string ClosestName(std::string_view name) const;

    // How many arguments a row's parameters take: those in parentheses are optional, and
    // "..." takes any number.
    struct Arity {
        int least = 0;
        int most = 0; // kAny: no limit
        static constexpr int kAny = -1;
    };
    static Arity ArityOf(const TableRow &row);

private:
    struct Prefix {
        std::string text;      // "tg_" and the like
        std::vector<int> rows; // the rows whose names carry it
    };
    // The table row of a called name: as the colouring finds it, or else by its exact name.
    bool FindRow(std::string_view name, int &row) const;
    const Prefix *PrefixFor(std::string_view name) const;
    std::string CountMessage(std::string_view name, const Arity &arity, const ScannedCall &call) const;

    const FunctionTable &m_functions;
    std::vector<Prefix> m_prefixes;
    std::vector<Arity> m_arities;        // by row
    std::unordered_map<std::string_view, int> m_rows; // row by exact name
};
