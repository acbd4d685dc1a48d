#include "preferencesdlg.h"

#include "app/prompter.h"
#include "functiongroup.h"
#include "keywordgroup.h"
#include "samplelabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The swatch while syntax highlighting is off.
constexpr ColorRef kNoStyleGrey = MakeColor(196, 196, 196);

QColor ToQColor(ColorRef color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

ColorRef FromQColor(const QColor &color)
{
    return MakeColor(color.red(), color.green(), color.blue());
}

QCheckBox *CheckBox(const QString &text, const QString &tip, const char *name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setToolTip(tip);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

CPreferencesDlg::CPreferencesDlg(Settings &settings, Prompter &prompter, std::function<void()> refreshViews,
                                 QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_settings(settings),
      m_prompter(prompter), m_refreshViews(std::move(refreshViews))
{
    setWindowTitle(tr("Scriba - Preferences"));
    auto *layout = new QGridLayout(this);
    auto *left = new QVBoxLayout;
    left->addWidget(CreateFeaturesGroup());
    left->addWidget(CreateStylesGroup());
    m_reopenSession = CheckBox(tr("Reopen t&he last session's scripts"),
                               tr("A start without script names opens the scripts open at the last exit"),
                               "reopenSession", this);
    m_reopenSession->hide(); // until the application hands over the switch
    left->addWidget(m_reopenSession);
    layout->addLayout(left, 0, 0);
    m_keywordGroup = new CKeywordGroup(settings.keywords, prompter, this);
    layout->addWidget(m_keywordGroup, 0, 1);
    layout->addWidget(CreateButtons(), 0, 2, Qt::AlignTop);
    m_functionGroup = new CFunctionGroup(settings.functions, prompter, this);
    layout->addWidget(m_functionGroup, 1, 0, 1, 3);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);

    LoadSettings();
    ConnectControls();
    m_autoCompletion->setFocus();
}

QWidget *CPreferencesDlg::CreateFeaturesGroup()
{
    auto *group = new QGroupBox(tr("Features"), this);
    m_autoCompletion = CheckBox(tr("Auto &completion"), tr("Press <control> and <space> whilst typing"),
                                "autoCompletion", group);
    m_intelliTip = CheckBox(tr("IntelliTi&p"), tr("Prompts Tarn Lua function parameters"), "intelliTip", group);
    m_namesAfterMember = CheckBox(tr("Names after . and : (Ctrl+&J)"), tr("Lists the fields of a table after its name and a dot or colon"),
                                  "namesAfterMember", group);
    m_autoIndentation = CheckBox(tr("&Auto indentation"), tr("Indents code on Lua keywords"), "autoIndentation", group);
    m_syntaxHighlighting = CheckBox(tr("&Syntax highlighting"), tr("Formats text with appropriate style"),
                                    "syntaxHighlighting", group);
    const std::array<QString, 3> radioTexts = {tr("T&wo spaces"), tr("&Four spaces"), tr("Ta&b")};
    for (std::size_t i = 0; i < radioTexts.size(); ++i) {
        m_indentRadios[i] = new QRadioButton(radioTexts[i], group);
        m_indentRadios[i]->setToolTip(tr("Amount to indent block of code"));
    }
    auto *layout = new QGridLayout(group);
    layout->addWidget(m_autoCompletion, 0, 0);
    layout->addWidget(m_intelliTip, 1, 0);
    layout->addWidget(m_autoIndentation, 2, 0);
    layout->addWidget(m_syntaxHighlighting, 3, 0);
    layout->addWidget(m_namesAfterMember, 4, 0);
    auto *indentLabel = new QLabel(tr("In&dent:"), group);
    indentLabel->setBuddy(m_indentRadios[0]);
    layout->addWidget(indentLabel, 0, 1);
    for (int i = 0; i < 3; ++i)
        layout->addWidget(m_indentRadios[std::size_t(i)], i + 1, 1);
    return group;
}

QWidget *CPreferencesDlg::CreateStylesGroup()
{
    auto *group = new QGroupBox(tr("Styles"), this);
    m_styleSelector = new QComboBox(group);
    m_styleSelector->setObjectName(QStringLiteral("styleSelector"));
    m_styleSelector->addItems({tr("Comment"), tr("Function"), tr("Keyword"), tr("Number"), tr("Punctuation"), tr("String")});
    m_styleSelector->setToolTip(tr("Select style to modify"));
    m_sample = new CSampleLabel(tr("Sample text"), group);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_sample->setMinimumHeight(m_sample->fontMetrics().height() * 2);
    // Shows a colour and nothing else: it never takes the focus or input.
    m_swatch = new QFrame(group);
    m_swatch->setObjectName(QStringLiteral("swatch"));
    m_swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_swatch->setAutoFillBackground(true);
    m_swatch->setEnabled(false);
    m_swatch->setFixedSize(m_swatch->fontMetrics().height() + 6, m_swatch->fontMetrics().height() + 6);
    m_color = new QPushButton(tr("Colo&r..."), group);
    m_bold = new QCheckBox(tr("Bo&ld"), group);
    m_italic = new QCheckBox(tr("I&talic"), group);
    m_underline = new QCheckBox(tr("&Underline"), group);

    auto *layout = new QGridLayout(group);
    layout->addWidget(m_styleSelector, 0, 0, 1, 2);
    layout->addWidget(m_sample, 1, 0, 3, 2);
    layout->addWidget(m_swatch, 0, 2, Qt::AlignCenter);
    layout->addWidget(m_color, 0, 3);
    layout->addWidget(m_bold, 1, 3);
    layout->addWidget(m_italic, 2, 3);
    layout->addWidget(m_underline, 3, 3);
    layout->setColumnStretch(0, 1);
    return group;
}

QWidget *CPreferencesDlg::CreateButtons()
{
    auto *column = new QWidget(this);
    auto *ok = new QPushButton(tr("O&K"), column);
    ok->setDefault(true); // Enter anywhere but on another button or the keyword box
    auto *cancel = new QPushButton(tr("Ca&ncel"), column);
    m_apply = new QPushButton(tr("Appl&y"), column);
    m_warnings = new QPushButton(tr("Warnin&gs..."), column);
    m_warnings->setVisible(false);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    layout->addWidget(m_apply);
    layout->addWidget(m_warnings);
    connect(m_warnings, &QPushButton::clicked, this, [this] {
        if (m_editWarnings)
            m_editWarnings(this);
    });
    connect(ok, &QPushButton::clicked, this, &CPreferencesDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPreferencesDlg::reject);
    connect(m_apply, &QPushButton::clicked, this, &CPreferencesDlg::Commit);
    return column;
}

void CPreferencesDlg::SetWarningsEditor(std::function<void(QWidget *parent)> edit)
{
    m_editWarnings = std::move(edit);
    m_warnings->setVisible(bool(m_editWarnings));
}

void CPreferencesDlg::LoadSettings()
{
    m_apply->setEnabled(false);
    m_styles = m_settings.styles;
    const EditorOptions &options = m_settings.options;
    m_autoCompletion->setChecked(options.autocompletion != 0);
    m_intelliTip->setChecked(options.intellitip != 0);
    m_namesAfterMember->setChecked(options.namesaftermember != 0);
    m_autoIndentation->setChecked(options.autoindentation != 0);
    m_syntaxHighlighting->setChecked(options.syntaxhighlighting != 0);
    if (options.indent >= TWOSPACES && options.indent <= TAB)
        m_indentRadios[std::size_t(options.indent)]->setChecked(true);
    m_styleSelector->setCurrentIndex(0);
    m_sample->SetFaceName(QStringLiteral("Arial"));
    m_sample->SetHeight(12);
    ShowStyle(0);
    // The controls that hang on a switch start as a click on it would leave them.
    OnAutoIndentationClicked();
    OnSyntaxHighlightingClicked();
}

void CPreferencesDlg::ConnectControls()
{
    connect(m_autoCompletion, &QCheckBox::clicked, this, &CPreferencesDlg::EnableApply);
    connect(m_intelliTip, &QCheckBox::clicked, this, &CPreferencesDlg::EnableApply);
    connect(m_namesAfterMember, &QCheckBox::clicked, this, &CPreferencesDlg::EnableApply);
    connect(m_autoIndentation, &QCheckBox::clicked, this, &CPreferencesDlg::OnAutoIndentationClicked);
    connect(m_syntaxHighlighting, &QCheckBox::clicked, this, [this] {
        OnSyntaxHighlightingClicked();
        EnableApply();
    });
    connect(m_styleSelector, &QComboBox::currentIndexChanged, this, &CPreferencesDlg::ShowStyle);
    connect(m_color, &QPushButton::clicked, this, &CPreferencesDlg::OnColor);
    connect(m_bold, &QCheckBox::clicked, this, [this](bool on) { SetStyleFlag(&TextStyle::bold, on); });
    connect(m_italic, &QCheckBox::clicked, this, [this](bool on) { SetStyleFlag(&TextStyle::italic, on); });
    connect(m_underline, &QCheckBox::clicked, this, [this](bool on) { SetStyleFlag(&TextStyle::underline, on); });
    connect(m_keywordGroup, &CKeywordGroup::tableChanged, this, [this] {
        m_keywordsChanged = true;
        EnableApply();
    });
    connect(m_functionGroup, &CFunctionGroup::tableChanged, this, [this] {
        m_functionsChanged = true;
        EnableApply();
    });
}

void CPreferencesDlg::EnableApply()
{
    m_apply->setEnabled(true);
}

void CPreferencesDlg::OnAutoIndentationClicked()
{
    const bool on = m_autoIndentation->isChecked();
    for (QRadioButton *radio : m_indentRadios)
        radio->setEnabled(on);
    m_keywordGroup->SetAttributeBoxesEnabled(on);
}

void CPreferencesDlg::OnSyntaxHighlightingClicked()
{
    const bool on = m_syntaxHighlighting->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{m_styleSelector, m_color, m_bold, m_italic, m_underline, m_sample})
        control->setEnabled(on);
    SetSwatch(on ? SelectedStyle().color : kNoStyleGrey);
}

TextStyle &CPreferencesDlg::SelectedStyle()
{
    return m_styles[std::size_t(std::max(0, m_styleSelector->currentIndex()))];
}

void CPreferencesDlg::SetSwatch(ColorRef color)
{
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    m_swatch->setPalette(palette);
}

void CPreferencesDlg::ShowStyle(int kind)
{
    const TextStyle &style = m_styles[std::size_t(kind)];
    SetSwatch(style.color);
    m_bold->setChecked(style.bold != 0);
    m_italic->setChecked(style.italic != 0);
    m_underline->setChecked(style.underline != 0);
    m_sample->SetTextColor(style.color);
    ShowSampleFlags(style);
}

void CPreferencesDlg::ShowSampleFlags(const TextStyle &style)
{
    m_sample->SetBold(style.bold != 0);
    m_sample->SetItalic(style.italic != 0);
    m_sample->SetUnderline(style.underline != 0);
}

void CPreferencesDlg::SetStyleFlag(std::int32_t TextStyle::*flag, bool on)
{
    SelectedStyle().*flag = on ? 1 : 0;
    EnableApply();
    ShowSampleFlags(SelectedStyle());
}

void CPreferencesDlg::OnColor()
{
    // Each use starts from the six working colours, then white.
    QList<QColor> customColors;
    for (const TextStyle &style : m_styles)
        customColors.append(ToQColor(style.color));
    while (customColors.size() < 16)
        customColors.append(Qt::white);
    QColor color = ToQColor(SelectedStyle().color);
    if (!m_prompter.ChooseColor(this, color, customColors))
        return;
    SelectedStyle().color = FromQColor(color);
    SetSwatch(SelectedStyle().color);
    m_sample->SetTextColor(SelectedStyle().color);
    EnableApply();
}

void CPreferencesDlg::Commit()
{
    bool refresh = false;
    auto take = [&](std::int32_t &stored, const QCheckBox *box, bool refreshes) {
        if ((stored != 0) == box->isChecked())
            return;
        stored = box->isChecked() ? 1 : 0;
        refresh = refresh || refreshes;
    };
    EditorOptions &options = m_settings.options;
    take(options.autocompletion, m_autoCompletion, true);
    take(options.autoindentation, m_autoIndentation, false);
    take(options.intellitip, m_intelliTip, true);
    take(options.namesaftermember, m_namesAfterMember, false);
    take(options.syntaxhighlighting, m_syntaxHighlighting, true);
    // No radio checked (a stored value out of range) means TAB.
    options.indent = m_indentRadios[0]->isChecked() ? TWOSPACES : m_indentRadios[1]->isChecked() ? FOURSPACES : TAB;
    for (std::size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i].Differs(m_settings.styles[i])) {
            m_settings.styles[i] = m_styles[i];
            refresh = true;
        }
    }
    if (m_keywordsChanged || m_functionsChanged || refresh)
        m_refreshViews();
    if (m_storeReopenSession)
        m_storeReopenSession(m_reopenSession->isChecked());
    m_apply->setEnabled(false);
}

void CPreferencesDlg::SetReopenSession(bool on, std::function<void(bool)> store)
{
    m_storeReopenSession = std::move(store);
    m_reopenSession->setChecked(on);
    m_reopenSession->show();
    connect(m_reopenSession, &QCheckBox::clicked, this, &CPreferencesDlg::EnableApply, Qt::UniqueConnection);
}

void CPreferencesDlg::accept()
{
    Commit();
    QDialog::accept();
}
