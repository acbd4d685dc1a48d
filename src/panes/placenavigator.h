// Going to a place that a result names: the file opened (or its tab brought forward), the caret
// put at the line and column, and the line brought into view.
#pragma once

#include <QString>

class CMainFrame;
class DocumentHost;
class CScribaView;
struct ResultEntry;

class PlaceNavigator {
public:
    PlaceNavigator(DocumentHost &host, CMainFrame &frame) : m_host(host), m_frame(frame) {}

    // False when the place's file could not be opened (the opening said why).
    bool Go(const ResultEntry &entry);

    // The caret at line (from 1) and column (from 1, in characters; 0 for the line's start),
    // both kept inside the text, the line shown in the middle unless it shows already.
    static void PutCaret(CScribaView *view, int line, int column);
    // The caret at a byte position, shown the same way.
    static void PutCaretAt(CScribaView *view, qint64 position);

private:
    DocumentHost &m_host;
    CMainFrame &m_frame;
};
