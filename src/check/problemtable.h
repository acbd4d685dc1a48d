// What a check found, held for as long as its marks show and its lines stand in the Problems
// tab. A big script can have tens of thousands of problems that share a few hundred messages,
// so each is kept as five numbers and its message once per table.
#pragma once

#include "check/scriptcheck.h"

#include <cstdint>
#include <string>
#include <vector>

class ProblemTable {
public:
    struct Row {
        std::uint32_t start = 0; // the bytes to mark
        std::uint32_t end = 0;
        std::int32_t line = 0;
        std::int32_t column = 0;
        std::uint32_t message = 0; // index into the table's messages; the top bit marks an error

        std::uint32_t MessageIndex() const { return message & ~kErrorBit; }
        ProblemSeverity Severity() const { return message & kErrorBit ? ProblemSeverity::Error : ProblemSeverity::Warning; }
    };

    ProblemTable() = default;
    explicit ProblemTable(const std::vector<ScriptProblem> &problems);

    std::size_t Size() const { return m_rows.size(); }
    const Row &operator[](std::size_t index) const { return m_rows[index]; }
    // The problem as the check found it.
    ScriptProblem At(std::size_t index) const;
    std::size_t MessageCount() const { return m_messages.size(); }
    const std::string &Message(std::size_t messageIndex) const { return m_messages[messageIndex]; }

private:
    static constexpr std::uint32_t kErrorBit = 0x80000000u;

    std::vector<Row> m_rows;
    std::vector<std::string> m_messages; // each once
};
