// Automatic indentation in the editor view's key handling: Tab typed as blanks, Enter starting
// the new line at the depth the keyword table gives, and an outdent keyword typed first on such
// a line pulling it back one step.
#pragma once

#include <string>

class CScribaView;
class QKeyEvent;
struct Settings;

class CAutoIndent {
public:
    CAutoIndent(CScribaView &view, const Settings &settings);

    // Tab conversion, the first step of a character: types the indent unit's blanks instead of
    // a tab, as one undo step, or else exactly one tab character in place of the selection.
    // True when it did, which ends the tab's handling.
    bool ConvertTab(int ch);
    // The Enter measurement, before the control sees the key: how deep the new line starts.
    // It freezes the display until the indentation is in.
    void MeasureEnter(const QKeyEvent *e);
    // The post-character step: indents the new line after a line break, and outdents a line
    // whose first word has just become an outdent keyword. listOpen: a completion list exists.
    void AfterCharacter(int ch, bool listOpen);
    // The end of every key: releases the freeze of an Enter that made no line break.
    void EndKey();

private:
    bool Enabled() const;
    bool TypeTab();
    void Outdent();

    CScribaView &m_view;
    const Settings &m_settings;
    std::string m_indentUnit = "  ";
    int m_indentLevel = 0;
    bool m_justIndented = false;
    bool m_enterFrozen = false;
};
