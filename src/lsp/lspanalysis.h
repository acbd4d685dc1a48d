// One version of an open document as the language server reads its names: a copy of its text,
// where each line starts, and its script model. Built once per version and never changed, so
// any number of requests, on any thread, read it at once without a lock.
#pragma once

#include "lsp/lsptext.h"
#include "model/scriptmodel.h"

#include <QJsonObject>

#include <cstddef>
#include <string>
#include <vector>

class LspJsonWriter;

class LspAnalysis {
public:
    explicit LspAnalysis(std::string text);
    LspAnalysis(const LspAnalysis &) = delete; // the model points into the text
    LspAnalysis &operator=(const LspAnalysis &) = delete;

    const std::string &Text() const { return m_text; }
    const luamodel::Model &Model() const { return m_model; }
    int LineCount() const { return int(m_starts.size()); }

    // The byte offset of a protocol position, clamped to the text as LspText clamps it.
    std::size_t OffsetOf(LspPosition position) const;
    LspPosition PositionOf(std::size_t offset) const;
    QJsonObject JsonPosition(std::size_t offset) const;
    QJsonObject JsonRange(std::size_t start, std::size_t end) const;
    // {"start": ..., "end": ...} written as text.
    void WriteRange(LspJsonWriter &out, std::size_t start, std::size_t end) const;

private:
    std::string m_text;
    std::vector<std::size_t> m_starts; // lines broken at CR LF, CR or LF, as the protocol breaks them
    luamodel::Model m_model;
};
