// The small modeless Find and Find-and-Replace dialog of an editor view. It holds the texts and
// options being edited and reports each button to its view in one flags word.
#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The bits of the flags word. The action bit is that of the last button pressed.
enum FindReplaceFlag : std::uint32_t {
    FR_DOWN = 0x1,
    FR_WHOLEWORD = 0x2,
    FR_MATCHCASE = 0x4,
    FR_FINDNEXT = 0x8,
    FR_REPLACE = 0x10,
    FR_REPLACEALL = 0x20,
    FR_DIALOGTERM = 0x40,
    FR_NOUPDOWN = 0x400,
    FR_HIDEUPDOWN = 0x4000,
};

class CFindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    // findOnly: the Find kind, without the replace field and its buttons.
    CFindReplaceDialog(bool findOnly, const QString &findText, const QString &replaceText,
                       std::uint32_t flags, QWidget *owner);

    bool IsFindOnly() const { return m_findOnly; }
    QString GetFindString() const;
    QString GetReplaceString() const;
    // The action bit of the last button pressed, and the options as they are ticked now.
    std::uint32_t Flags() const;

    // Shows the dialog with its top-right corner at topRight (kept on the screen), and gives it
    // the keyboard focus with the find text selected.
    void ShowAt(const QPoint &topRight);
    // Gives the keyboard focus back to the dialog, to the control that had it.
    void TakeFocus();

    QPushButton *FindNextButton() const { return m_findNext; }
    QPushButton *ReplaceButton() const { return m_replace; }
    QPushButton *ReplaceAllButton() const { return m_replaceAll; }
    QCheckBox *MatchCaseBox() const { return m_matchCase; }
    QCheckBox *WholeWordBox() const { return m_wholeWord; }
    QLineEdit *FindField() const { return m_findField; }
    QLineEdit *ReplaceField() const { return m_replaceField; }

signals:
    // A button was pressed, or the dialog is closing (FR_DIALOGTERM): read Flags() and the texts.
    void reported();

public slots:
    // Cancel, Escape and the window's close button end the dialog; it deletes itself.
    void reject() override;

private:
    void Report(std::uint32_t action);
    void EnableButtons();

    bool m_findOnly;
    std::uint32_t m_flags;
    QString m_replaceText; // what the Find kind, without a field for it, reports
    QLineEdit *m_findField = nullptr;
    QLineEdit *m_replaceField = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QPushButton *m_findNext = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_replaceAll = nullptr;
};
