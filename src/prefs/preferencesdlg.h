// The Preferences dialog. Switches, the indent unit and the six styles are held here and reach
// the settings only on Apply or OK; the keyword and function tables are edited in place, and
// for them Apply and OK only decide whether the open views are refreshed.
#pragma once

#include "app/settings.h"

#include <QDialog>

#include <array>
#include <functional>

class CFunctionGroup;
class CKeywordGroup;
class CSampleLabel;
class Prompter;
class QCheckBox;
class QComboBox;
class QFrame;
class QPushButton;
class QRadioButton;

class CPreferencesDlg : public QDialog {
    Q_OBJECT

public:
    // refreshViews brings the open views in line with the settings after a commit that needs it.
    CPreferencesDlg(Settings &settings, Prompter &prompter, std::function<void()> refreshViews,
                    QWidget *parent = nullptr);

    // The commit, then closing.
    void accept() override;
    // The switch kept with the recent files rather than in the settings: shown with the others
    // and handed to store on Apply or OK.
    void SetReopenSession(bool on, std::function<void(bool)> store);
    // What the Warnings button opens; without it the button is hidden.
    void SetWarningsEditor(std::function<void(QWidget *parent)> edit);

private:
    QWidget *CreateFeaturesGroup();
    QWidget *CreateStylesGroup();
    QWidget *CreateButtons();
    void LoadSettings();
    void ConnectControls();
    void Commit();
    void EnableApply();

    void OnAutoIndentationClicked();
    void OnSyntaxHighlightingClicked();
    void ShowStyle(int kind);
    void ShowSampleFlags(const TextStyle &style);
    void SetStyleFlag(std::int32_t TextStyle::*flag, bool on);
    void OnColor();
    void SetSwatch(ColorRef color);
    TextStyle &SelectedStyle();

    Settings &m_settings;
    Prompter &m_prompter;
    std::function<void()> m_refreshViews;
    std::array<TextStyle, kStyleKindCount> m_styles{};
    bool m_keywordsChanged = false;
    bool m_functionsChanged = false;

    QCheckBox *m_autoCompletion = nullptr;
    QCheckBox *m_intelliTip = nullptr;
    QCheckBox *m_namesAfterMember = nullptr;
    QCheckBox *m_autoIndentation = nullptr;
    QCheckBox *m_syntaxHighlighting = nullptr;
    std::array<QRadioButton *, 3> m_indentRadios{}; // in IndentMode order
    QComboBox *m_styleSelector = nullptr;
    CSampleLabel *m_sample = nullptr;
    QFrame *m_swatch = nullptr;
    QPushButton *m_color = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QCheckBox *m_underline = nullptr;
    CKeywordGroup *m_keywordGroup = nullptr;
    CFunctionGroup *m_functionGroup = nullptr;
    QPushButton *m_apply = nullptr;
    QCheckBox *m_reopenSession = nullptr;
    std::function<void(bool)> m_storeReopenSession;
    QPushButton *m_warnings = nullptr;
    std::function<void(QWidget *)> m_editWarnings;
};
