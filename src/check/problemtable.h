// What a check found, held for as long as its lines stand in the Problems tab and its marks
// show their messages. A big script can have tens of thousands of problems that share a few
// hundred messages, so each is kept as three numbers and its message once, all messages in
// one piece of text. The bytes each problem marks are handed out apart: they are needed only
// until the marks are set.
#pragma once

#include "check/scriptcheck.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ProblemSpan {
    std::uint32_t start = 0;
    std::uint32_t end = 0;

    bool operator==(const ProblemSpan &) const = default;
};

class ProblemTable {
public:
    struct Row {
        std::int32_t line = 0;
        std::int32_t column = 0;
        std::uint32_t message = 0; // index into the table's messages; the top bit marks an error
        std::int32_t code = 0;     // as the problem has it

        std::uint32_t MessageIndex() const { return message & ~kErrorBit; }
        ProblemSeverity Severity() const { return message & kErrorBit ? ProblemSeverity::Error : ProblemSeverity::Warning; }
    };

    ProblemTable() = default;
    explicit ProblemTable(const std::vector<ScriptProblem> &problems);
    // The bytes each problem marks, in the table's order.
    static std::vector<ProblemSpan> Spans(const std::vector<ScriptProblem> &problems);

    std::size_t Size() const { return m_rows.size(); }
    const Row &operator[](std::size_t index) const { return m_rows[index]; }
    // The problem as the check found it, without the bytes it marks (start and end 0).
    ScriptProblem At(std::size_t index) const;
    std::size_t MessageCount() const { return m_messageEnds.size(); }
    std::string_view Message(std::size_t messageIndex) const;

private:
    static constexpr std::uint32_t kErrorBit = 0x80000000u;

    std::vector<Row> m_rows;
    std::string m_messages;                    // each once, one after another
    std::vector<std::uint32_t> m_messageEnds;  // where each ends in m_messages
};
