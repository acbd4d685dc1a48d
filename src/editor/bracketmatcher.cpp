#include "bracketmatcher.h"

#include "editor/colourer.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"

#include <QColor>

#include <vector>

namespace {

using Sci = QsciScintillaBase;

// The stretches searched around a bracket, each wider than the last: most partners are on
// the same screen, and none is looked for farther than the last.
constexpr qint64 kSearchReaches[] = {256, 16 << 10, 1 << 20};

const QColor kMatchColour(0x30, 0x80, 0xE0);
const QColor kBadColour(0xE0, 0x20, 0x20);

CodeStyles MakeCodeStyles()
{
    CodeStyles code;
    code.fill(true);
    for (const StyleKind kind : {StyleKind::String, StyleKind::Comment}) {
        code[StyleNumber(kind)] = false;
        code[StyleNumber(kind) | CColourer::kTwinStyle] = false;
    }
    return code;
}

} // namespace

CBracketMatcher::CBracketMatcher(CScribaView &view) : m_view(view), m_codeStyles(MakeCodeStyles())
{
    m_matchIndicator = m_view.indicatorDefine(QsciScintilla::StraightBoxIndicator);
    m_badIndicator = m_view.indicatorDefine(QsciScintilla::StraightBoxIndicator);
    m_view.setIndicatorForegroundColor(kMatchColour, m_matchIndicator);
    m_view.setIndicatorForegroundColor(kBadColour, m_badIndicator);
    Send(Sci::SCI_INDICSETALPHA, static_cast<unsigned long>(m_matchIndicator), 90);
    Send(Sci::SCI_INDICSETALPHA, static_cast<unsigned long>(m_badIndicator), 110);
    Send(Sci::SCI_BRACEHIGHLIGHTINDICATOR, 1, m_matchIndicator);
    Send(Sci::SCI_BRACEBADLIGHTINDICATOR, 1, m_badIndicator);
}

long CBracketMatcher::Send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view.SendScintilla(message, wParam, lParam);
}

bool CBracketMatcher::IsCode(qint64 position) const
{
    return m_codeStyles[std::uint8_t(Send(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position)))];
}

std::optional<CBracketMatcher::Pair> CBracketMatcher::PairAtCaret() const
{
    const qint64 caret = Send(Sci::SCI_GETCURRENTPOS);
    const qint64 length = Send(Sci::SCI_GETLENGTH);
    CaretNeighbours neighbours;
    if (caret > 0) {
        neighbours.before = char(Send(Sci::SCI_GETCHARAT, static_cast<unsigned long>(caret - 1)));
        neighbours.beforeIsCode = IsBracket(neighbours.before) && IsCode(caret - 1);
    }
    if (caret < length) {
        neighbours.after = char(Send(Sci::SCI_GETCHARAT, static_cast<unsigned long>(caret)));
        neighbours.afterIsCode = IsBracket(neighbours.after) && IsCode(caret);
    }
    const std::optional<int> offset = BracketBesideCaret(neighbours);
    if (!offset)
        return std::nullopt;
    const qint64 bracket = caret + *offset;
    return Pair{bracket, FindPartner(bracket)};
}

std::optional<qint64> CBracketMatcher::FindPartner(qint64 bracket) const
{
    const qint64 length = Send(Sci::SCI_GETLENGTH);
    std::vector<char> styled;
    for (const qint64 reach : kSearchReaches) {
        const qint64 from = std::max<qint64>(0, bracket - reach);
        const qint64 to = std::min(length, bracket + reach + 1);
        // Text and styles of the stretch in one call: byte, style, byte, style ...
        styled.resize(std::size_t(2 * (to - from) + 2));
        m_view.SendScintilla(Sci::SCI_GETSTYLEDTEXT, long(from), long(to), styled.data());
        std::string text(std::size_t(to - from), '\0');
        std::vector<std::uint8_t> styles(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = styled[2 * i];
            styles[i] = std::uint8_t(styled[2 * i + 1]);
        }
        const std::optional<std::size_t> found = ::FindPartner(text, styles.data(), m_codeStyles, std::size_t(bracket - from));
        if (found)
            return from + qint64(*found);
        if (from == 0 && to == length)
            break; // the whole text has been searched
    }
    return std::nullopt;
}

void CBracketMatcher::Update()
{
    const std::optional<Pair> pair = PairAtCaret();
    const qint64 at = pair ? pair->bracket : -1;
    const qint64 partner = pair && pair->partner ? *pair->partner : -1;
    if (at < 0)
        Send(Sci::SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(-1), -1);
    else if (partner < 0)
        Send(Sci::SCI_BRACEBADLIGHT, static_cast<unsigned long>(at));
    else
        Send(Sci::SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(at), static_cast<long>(partner));
}

void CBracketMatcher::GoToPartner()
{
    const std::optional<Pair> pair = PairAtCaret();
    if (!pair || !pair->partner)
        return;
    Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(*pair->partner));
    Send(Sci::SCI_CHOOSECARETX); // Up and Down go on from the partner's column
    Update();
}
