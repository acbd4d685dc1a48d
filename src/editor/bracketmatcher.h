// Bracket highlighting and Go to Matching Bracket in the editing view. The bracket beside the
// caret and its partner are marked, an unmatched one in red; brackets inside strings and
// comments do not count, as their colouring tells. The partner is looked for in a stretch of
// text around the caret that widens step by step, so a caret move costs little in any file.
#pragma once

#include "editor/bracketrules.h"

#include <QtGlobal>

#include <optional>

class CScribaView;

class CBracketMatcher {
public:
    explicit CBracketMatcher(CScribaView &view);

    // Marks the bracket beside the caret and its partner, or nothing; after every caret move.
    void Update();
    // Puts the caret just before the partner of the bracket beside the caret.
    void GoToPartner();

private:
    struct Pair {
        qint64 bracket;
        std::optional<qint64> partner;
    };
    std::optional<Pair> PairAtCaret() const;
    std::optional<qint64> FindPartner(qint64 bracket) const;
    bool IsCode(qint64 position) const;
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;

    CScribaView &m_view;
    CodeStyles m_codeStyles;
    int m_matchIndicator;
    int m_badIndicator;
};
