#include "namecompletion.h"

#include "app/settings.h"
#include "editor/completionlist.h"
#include "editor/completionpanel.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"

#include <QHash>
#include <QIcon>
#include <QKeyEvent>

namespace {

bool IsWordCharacter(int ch)
{
    return ch >= 0 && ch < 256 && (IsNameCharacter(char(ch)) || ch >= 0x80);
}

// Each kind's icon, read once: an SVG parsed for every row would cost more than the list.
const QIcon &IconFor(const QString &path)
{
    static QHash<QString, QIcon> icons;
    auto found = icons.find(path);
    if (found == icons.end())
        found = icons.insert(path, QIcon(path));
    return *found;
}

QFont ListFont(const CScribaView &view)
{
    // As the Ctrl+Space list: fixed pitch, growing with the view's zoom.
    constexpr int kTextPoints = 10;
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    const int zoom = int(view.SendScintilla(QsciScintillaBase::SCI_GETZOOM));
    font.setPixelSize(std::max(6, 16 * (kTextPoints + zoom) / kTextPoints));
    return font;
}

// The table's name before a "." or ":" that ends text: "M", "a.b"; empty when text ends in
// neither or the table is no plain name.
std::string TableBefore(std::string_view text, bool &method)
{
    if (text.empty() || (text.back() != '.' && text.back() != ':'))
        return std::string();
    method = text.back() == ':';
    std::size_t start = text.size() - 1;
    while (start > 0 && (IsNameCharacter(text[start - 1]) || text[start - 1] == '.'))
        --start;
    std::string_view table = text.substr(start, text.size() - 1 - start);
    if (table.empty() || table.front() == '.' || table.back() == '.' || (table.front() >= '0' && table.front() <= '9'))
        return std::string();
    return std::string(table);
}

} // namespace

CNameCompletion::CNameCompletion(CScribaView &view, const Settings &settings, CandidateSource candidates,
                                 Describer describe)
    : QObject(&view), m_view(view), m_settings(settings), m_candidates(std::move(candidates)),
      m_describe(std::move(describe))
{
}

CNameCompletion::~CNameCompletion() = default;

CCompletionList *CNameCompletion::List() const
{
    return m_list;
}

bool CNameCompletion::OpensAfterMember(const Settings &settings)
{
    return settings.options.namesaftermember != 0;
}

bool CNameCompletion::InCommentOrString(qint64 position) const
{
    // The colouring has read the caret's line; its styles say where comments and strings are.
    if (position <= 0)
        return false;
    const int style = int(m_view.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(position - 1))) &
                      0x3F;
    return style == StyleNumber(StyleKind::Comment) || style == StyleNumber(StyleKind::String);
}

bool CNameCompletion::Ask(NameQuestion &question) const
{
    const qint64 caret = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const qint64 line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
    const qint64 lineStart = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const std::string_view before = m_view.TextRange(lineStart, caret);
    const std::string_view word = IdentifierAtEnd(before);
    question.caret = caret;
    question.wordStart = caret - qint64(word.size());
    question.word = std::string(word);
    if (!word.empty() && word.front() >= '0' && word.front() <= '9')
        return false; // a number
    question.table = TableBefore(before.substr(0, before.size() - word.size()), question.method);
    return !InCommentOrString(question.wordStart) && !InCommentOrString(caret);
}

void CNameCompletion::Show(bool automatic)
{
    Close();
    NameQuestion question;
    if (!Ask(question) || (automatic && question.table.empty()))
        return;
    const std::vector<NameListItem> candidates = m_candidates(question);
    if (candidates.empty())
        return;
    std::vector<std::string> names;
    names.reserve(candidates.size());
    for (const NameListItem &candidate : candidates)
        names.push_back(candidate.name);
    m_list = new CCompletionList(std::move(names), ListFont(m_view), &m_view);
    m_list->setObjectName(QStringLiteral("nameList"));
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setIcon(IconFor(candidates[std::size_t(row)].icon));
    // A field is described with its table: "string.format", "M.run".
    m_table = question.table;
    CCompletionPanel::Attach(m_list, m_view, m_settings.functions, [this](const QString &name) {
        return m_describe(m_table.empty() ? name : QString::fromStdString(m_table) + u'.' + name);
    });
    QObject::connect(m_list, &CCompletionList::accepted, this, [this] {
        if (m_list)
            Accept();
    }, Qt::QueuedConnection);
    QObject::connect(m_list, &CCompletionList::wheelOutside, this, [this] { Close(); });
    m_wordStart = question.wordStart;
    Filter();
}

void CNameCompletion::Close()
{
    if (CCompletionList *list = m_list) {
        m_list = nullptr;
        list->hide();
        list->deleteLater();
    }
}

QStringList CNameCompletion::ShownNames() const
{
    QStringList names;
    if (!m_list)
        return names;
    for (int row = 0; row < m_list->count(); ++row)
        if (!m_list->isRowHidden(row))
            names.append(m_list->item(row)->text());
    return names;
}

void CNameCompletion::Filter()
{
    const qint64 caret = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const std::string_view typed = m_view.TextRange(m_wordStart, caret);
    // The caret left the word, or the word is no longer one: the list has nothing to say.
    if (caret < m_wordStart || IdentifierAtEnd(typed).size() != typed.size()) {
        Close();
        return;
    }
    const QString word = QString::fromUtf8(typed.data(), qsizetype(typed.size()));
    int first = -1;
    int shown = 0;
    for (int row = 0; row < m_list->count(); ++row) {
        const bool matches = m_list->item(row)->text().startsWith(word, Qt::CaseInsensitive);
        m_list->setRowHidden(row, !matches);
        if (matches) {
            ++shown;
            if (first < 0)
                first = row;
        }
    }
    if (first < 0) {
        Close();
        return;
    }
    if (m_list->isHidden()) {
        m_list->Place(m_view.PointOfPosition(m_wordStart), m_view.viewport()->geometry());
        m_list->raise();
        m_list->show();
    }
    // As tall as the names shown, and wide enough for the icons besides.
    const int rows = std::min(shown, CCompletionList::kMaxRows);
    const int iconRoom = m_list->iconSize().width() + 8;
    m_list->resize(m_list->width() + iconRoom, rows * m_list->sizeHintForRow(first) + 2 * m_list->frameWidth());
    m_list->setCurrentRow(first);
    m_list->scrollToItem(m_list->item(first), QAbstractItemView::PositionAtTop);
}

bool CNameCompletion::ClaimsShortcut(const QKeyEvent *e) const
{
    return m_list && e->key() == Qt::Key_Escape;
}

bool CNameCompletion::TakeKey(const QKeyEvent *e)
{
    if (!m_list)
        return false;
    switch (e->key()) {
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        Accept();
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
        m_list->MoveSelection(e->key());
        return true;
    default:
        return false;
    }
}

void CNameCompletion::AfterKey(const QKeyEvent *e, int ch)
{
    if (m_list) {
        const bool staysInWord = IsWordCharacter(ch) || e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Left ||
                                 e->key() == Qt::Key_Right;
        if (!staysInWord)
            Close();
        else
            Filter();
    }
    if (!m_list && (ch == '.' || ch == ':') && OpensAfterMember(m_settings))
        Show(true);
}

void CNameCompletion::Accept()
{
    const QString selected = m_list && m_list->HasSelection() ? m_list->SelectedName() : QString();
    if (selected.isEmpty()) {
        Close();
        return;
    }
    const QByteArray name = selected.toUtf8();
    const qint64 end = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    // The word from its start to its end, also where the caret stands inside it.
    qint64 wordEnd = end;
    while (wordEnd < m_view.TextLength() &&
           IsWordCharacter(int(static_cast<unsigned char>(m_view.SendScintilla(QsciScintillaBase::SCI_GETCHARAT,
                                                                                  static_cast<unsigned long>(wordEnd))))))
        ++wordEnd;
    Close();
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(m_wordStart), static_cast<long>(wordEnd));
    m_view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, name.constData());
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
}
