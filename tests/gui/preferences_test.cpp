// The Preferences dialog, its keyword and function editors and the function add/edit dialog,
// driven through their real widgets; every question is answered by the scripted prompter.
#include "guitestsupport.h"

#include "app/defaulttexts.h"
#include "app/initext.h"
#include "app/settings.h"
#include "editor/scribaview.h"
#include "frame/accelerators.h"
#include "frame/mainframe.h"
#include "prefs/functiondlg.h"
#include "prefs/preferencesdlg.h"
#include "prefs/samplelabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include <sys/stat.h>

namespace {

template <typename T = QAbstractButton>
T *Find(QWidget *root, const QString &textOrName)
{
    for (T *widget : root->findChildren<T *>()) {
        if (widget->objectName() == textOrName)
            return widget;
        // Buttons are named by their text without the access key's mark.
        if (auto *button = qobject_cast<QAbstractButton *>(widget); button && QString(button->text()).remove(u'&') == textOrName)
            return widget;
    }
    qFatal("no widget %s", qPrintable(textOrName));
}

void Type(QWidget *root, const char *box, const QString &text)
{
    QLineEdit *edit = Find<QLineEdit>(root, QLatin1String(box));
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

QStringList ListTexts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QColor SwatchColour(QWidget *root)
{
    return Find<QWidget>(root, QStringLiteral("swatch"))->palette().color(QPalette::Window);
}

// A dialog script for the add/edit dialog: types a name and the parameters in place of those
// shown, and ends with OK or Cancel.
std::function<int(QDialog &)> EnterFunction(const QString &name, const QStringList &parameters, bool ok = true)
{
    return [=](QDialog &dialog) {
        Find<QLineEdit>(&dialog, QStringLiteral("nameBox"))->clear();
        while (Find<QListWidget>(&dialog, QStringLiteral("parameterList"))->count() > 0)
            Find(&dialog, QStringLiteral("<- Remove"))->click();
        Type(&dialog, "nameBox", name);
        for (const QString &parameter : parameters) {
            Type(&dialog, "parameterBox", parameter);
            Find(&dialog, QStringLiteral("Add ->"))->click();
        }
        Find(&dialog, ok ? QStringLiteral("OK") : QStringLiteral("Cancel"))->click();
        return dialog.result();
    };
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private:
    // A dialog over settings with the default styles and tables, unless a test changed them.
    void Open()
    {
        m_dialog = std::make_unique<CPreferencesDlg>(m_settings, m_prompter, [this] { ++m_refreshes; });
        m_dialog->show();
    }
    QWidget *Dialog() { return m_dialog.get(); }
    QAbstractButton *Button(const QString &text) { return Find(Dialog(), text); }
    QTableView *Grid() { return Find<QTableView>(Dialog(), QStringLiteral("functionGrid")); }
    QListWidget *Keywords() { return Find<QListWidget>(Dialog(), QStringLiteral("keywordList")); }
    void SelectStyle(StyleKind kind)
    {
        Find<QComboBox>(Dialog(), QStringLiteral("styleSelector"))->setCurrentIndex(int(kind));
    }
    void SetFunctions(const char *text)
    {
        m_settings.functions.RemoveAll();
        m_settings.functions.ParseText(text);
    }

    Settings m_settings;
    ScriptedPrompter m_prompter;
    int m_refreshes = 0;
    std::unique_ptr<CPreferencesDlg> m_dialog;

private slots:
    void init();
    void cleanup() { m_dialog.reset(); }
    void opensWithTheStoredSettings();
    void commitStoresAndRefreshesAsEachEditRequires_data();
    void commitStoresAndRefreshesAsEachEditRequires();
    void cancelDropsStyleEditsButTableEditsStay();
    void aChangedTableRefreshesAtEveryLaterCommit();
    void swatchIsGreyWhileHighlightingIsOff();
    void addKeyword_data();
    void addKeyword();
    void boxesFilterWhatIsPasted();
    void removeKeyword_data();
    void removeKeyword();
    void attributesChangeTheRowAtOnce();
    void parameterColumnsFollowTheWidestFunction();
    void editAndRemoveNeedASelection();
    void buttonsActOnlyOnASelectedEntry();
    void accessKeysAndASmallScreen();
    void messageBoxesShowTheirTitleAndWrapLongNames();
    void functionDialogEditsItsRowOnlyOnOk_data();
    void functionDialogEditsItsRowOnlyOnOk();
    void functionDialogRefusesBadNames();
    void importMergesAndReports();
    void exportWritesTheRowsSafely();
    void preferencesCommandReachesViewsAndTheFile();
    void enterIsOkUnlessTheKeywordBoxHoldsAName();
    void reopenSwitchIsStoredOnOk();
};

void PreferencesTest::init()
{
    ResetProgramState();
    m_settings = Settings();
    m_settings.SetDefaultStyles();
    m_settings.keywords.ParseText(DefaultKeywordsText());
    m_settings.keywords.SortByName();
    m_settings.functions.ParseText(DefaultFunctionsText());
    m_settings.functions.SortByName();
    m_prompter = ScriptedPrompter();
    m_refreshes = 0;
}

void PreferencesTest::opensWithTheStoredSettings()
{
    m_settings.options.intellitip = 0;
    Open();
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Scriba - Preferences"));
    QVERIFY(!(m_dialog->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());
    QCOMPARE(m_dialog->focusWidget(), Find(Dialog(), QStringLiteral("autoCompletion")));
    QVERIFY(!Find(Dialog(), QStringLiteral("intelliTip"))->isChecked());
    QVERIFY(Find(Dialog(), QStringLiteral("Two spaces"))->isChecked());
    // The Comment style: green, bold, in the swatch, the three boxes and the sample.
    QCOMPARE(SwatchColour(Dialog()), QColor(0, 192, 0));
    QVERIFY(Button(QStringLiteral("Bold"))->isChecked() && !Button(QStringLiteral("Italic"))->isChecked());
    auto *sample = Find<CSampleLabel>(Dialog(), QStringLiteral("sample"));
    QCOMPARE(sample->TextColor(), MakeColor(0, 192, 0));
    QVERIFY(sample->font().bold());
    QCOMPARE(sample->font().pixelSize(), 12);
    QCOMPARE(Keywords()->count(), 21);
    QCOMPARE(Keywords()->currentRow(), 0);
    QCOMPARE(Grid()->model()->rowCount(), 209);
    QCOMPARE(Grid()->model()->columnCount(), 1 + 13);
    QCOMPARE(Grid()->model()->headerData(13, Qt::Horizontal).toString(), QStringLiteral("P13"));
    QCOMPARE(Grid()->horizontalHeader()->sectionSize(0), 110);
    QCOMPARE(Grid()->horizontalHeader()->sectionSize(1), 65);
    QCOMPARE(Grid()->selectionModel()->selectedRows().value(0).row(), 0);
    QCOMPARE(Button(QStringLiteral("Auto completion"))->toolTip(), QStringLiteral("Press <control> and <space> whilst typing"));
}

enum class Edit { Nothing, AutoCompletion, IntelliTip, Highlighting, AutoIndentation, FourSpaces, IndentOutOfRange,
                  KeywordBold, BoldTwice, ColourCancelled, TwoColours, AddKeyword };

void PreferencesTest::commitStoresAndRefreshesAsEachEditRequires_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("applyEnabled");
    QTest::addColumn<int>("refreshes");
    QTest::newRow("nothing") << Edit::Nothing << false << 0;
    QTest::newRow("auto completion") << Edit::AutoCompletion << true << 1;
    QTest::newRow("IntelliTip") << Edit::IntelliTip << true << 1;
    QTest::newRow("syntax highlighting") << Edit::Highlighting << true << 1;
    QTest::newRow("auto indentation alone") << Edit::AutoIndentation << false << 0;
    QTest::newRow("indent unit alone") << Edit::FourSpaces << false << 0;
    QTest::newRow("indent out of range") << Edit::IndentOutOfRange << false << 0;
    QTest::newRow("bold of the keyword style") << Edit::KeywordBold << true << 1;
    QTest::newRow("bold on and off again") << Edit::BoldTwice << true << 0;
    QTest::newRow("colour chooser cancelled") << Edit::ColourCancelled << false << 0;
    QTest::newRow("two colours before apply") << Edit::TwoColours << true << 1;
    QTest::newRow("keyword added") << Edit::AddKeyword << true << 1;
}

void PreferencesTest::commitStoresAndRefreshesAsEachEditRequires()
{
    QFETCH(Edit, edit);
    QFETCH(bool, applyEnabled);
    QFETCH(int, refreshes);
    if (edit == Edit::IndentOutOfRange)
        m_settings.options.indent = IndentMode(7);
    Settings expected = m_settings;
    Open();
    switch (edit) {
    case Edit::Nothing:
        break;
    case Edit::AutoCompletion:
        Button(QStringLiteral("Auto completion"))->click();
        expected.options.autocompletion = 0;
        break;
    case Edit::IntelliTip:
        Button(QStringLiteral("IntelliTip"))->click();
        expected.options.intellitip = 0;
        break;
    case Edit::Highlighting:
        Button(QStringLiteral("Syntax highlighting"))->click();
        expected.options.syntaxhighlighting = 0;
        break;
    case Edit::AutoIndentation:
        Button(QStringLiteral("Auto indentation"))->click();
        expected.options.autoindentation = 0;
        break;
    case Edit::FourSpaces:
        Button(QStringLiteral("Four spaces"))->click();
        expected.options.indent = FOURSPACES;
        break;
    case Edit::IndentOutOfRange:
        for (const char *radio : {"Two spaces", "Four spaces", "Tab"})
            QVERIFY(!Button(QLatin1String(radio))->isChecked());
        expected.options.indent = TAB;
        break;
    case Edit::KeywordBold:
        SelectStyle(StyleKind::Keyword);
        Button(QStringLiteral("Bold"))->click();
        QVERIFY(Find<CSampleLabel>(Dialog(), QStringLiteral("sample"))->font().bold());
        expected.style(StyleKind::Keyword).bold = 1;
        break;
    case Edit::BoldTwice:
        Button(QStringLiteral("Bold"))->click();
        Button(QStringLiteral("Bold"))->click();
        break;
    case Edit::ColourCancelled:
        Button(QStringLiteral("Color..."))->click();
        break;
    case Edit::TwoColours:
        SelectStyle(StyleKind::String);
        m_prompter.colors << QColor(1, 2, 3) << QColor(10, 20, 30);
        Button(QStringLiteral("Color..."))->click();
        Button(QStringLiteral("Color..."))->click();
        QCOMPARE(SwatchColour(Dialog()), QColor(10, 20, 30));
        QCOMPARE(Find<CSampleLabel>(Dialog(), QStringLiteral("sample"))->TextColor(), MakeColor(10, 20, 30));
        // The second chooser starts from the first one's colour, and its custom slots hold the
        // six working colours, then white.
        QCOMPARE(m_prompter.colorStarts.value(1), QColor(1, 2, 3));
        QCOMPARE(m_prompter.customColorSets.value(1).mid(4, 3), (QList<QColor>{QColor(128, 128, 128), QColor(1, 2, 3), Qt::white}));
        QCOMPARE(m_prompter.customColorSets.value(1).size(), 16);
        QCOMPARE(m_prompter.customColorSets.value(1).last(), QColor(Qt::white));
        expected.style(StyleKind::String).color = MakeColor(10, 20, 30);
        break;
    case Edit::AddKeyword:
        Type(Dialog(), "keywordBox", QStringLiteral("goto"));
        Button(QStringLiteral("Add ->"))->click();
        expected.keywords.AddSorted({"goto"});
        break;
    }
    QCOMPARE(Button(QStringLiteral("Apply"))->isEnabled(), applyEnabled);
    Button(QStringLiteral("OK"))->click();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_refreshes, refreshes);
    QVERIFY(m_settings == expected);
}

void PreferencesTest::cancelDropsStyleEditsButTableEditsStay()
{
    const Settings before = m_settings;
    m_prompter.dialogs.enqueue(EnterFunction(QStringLiteral("zz_new"), {}));
    Open();
    Button(QStringLiteral("Bold"))->click();
    Button(QStringLiteral("Auto completion"))->click();
    Type(Dialog(), "keywordBox", QStringLiteral("goto"));
    Button(QStringLiteral("Add ->"))->click();
    Button(QStringLiteral("<- Add"))->click();
    QTest::keyClick(Dialog(), Qt::Key_Escape);
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_settings.options == before.options);
    QVERIFY(m_settings.styles == before.styles);
    QCOMPARE(m_settings.keywords.IndexOfName("goto"), 9);
    QCOMPARE(m_settings.functions.GetAt(m_settings.functions.GetSize() - 1), (TableRow{"zz_new"}));
    QCOMPARE(m_refreshes, 0);
}

void PreferencesTest::aChangedTableRefreshesAtEveryLaterCommit()
{
    Open();
    Keywords()->setCurrentRow(0);
    m_prompter.answers.enqueue(QMessageBox::Yes);
    Button(QStringLiteral("<- Remove"))->click();
    Button(QStringLiteral("Apply"))->click();
    QCOMPARE(m_refreshes, 1);
    QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());
    // Nothing else changed: the removed keyword still calls for a refresh.
    Button(QStringLiteral("OK"))->click();
    QCOMPARE(m_refreshes, 2);
}

void PreferencesTest::swatchIsGreyWhileHighlightingIsOff()
{
    m_settings.options.syntaxhighlighting = 0;
    Open();
    const QStringList styleControls = {QStringLiteral("styleSelector"), QStringLiteral("Color..."), QStringLiteral("Bold"),
                                       QStringLiteral("Italic"), QStringLiteral("Underline"), QStringLiteral("sample")};
    for (bool on : {false, true, false}) {
        if (Find(Dialog(), QStringLiteral("syntaxHighlighting"))->isChecked() != on)
            Button(QStringLiteral("Syntax highlighting"))->click();
        if (on)
            SelectStyle(StyleKind::Number);
        QCOMPARE(SwatchColour(Dialog()), on ? QColor(255, 0, 255) : QColor(196, 196, 196));
        for (const QString &name : styleControls)
            QCOMPARE(Find<QWidget>(Dialog(), name)->isEnabled(), on);
    }
}

void PreferencesTest::addKeyword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("added"); // empty when refused
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("message");
    QTest::newRow("capital beside small") << "And" << "And" << 0 << QString();
    QTest::newRow("underscore and digits") << "_x1" << "_x1" << 0 << QString();
    QTest::newRow("blanks, dashes, dots dropped") << " got-o. " << "goto" << 9 << QString();
    QTest::newRow("cut to 255") << QString(300, QLatin1Char('w')) << QString(255, QLatin1Char('w')) << 21 << QString();
    QTest::newRow("duplicate") << "while" << QString() << 0 << "\"while\" already defined as keyword!";
    QTest::newRow("leading digit") << "9lives" << QString() << 0 << "Lua keyword cannot begin with a number";
}

void PreferencesTest::addKeyword()
{
    QFETCH(QString, typed);
    QFETCH(QString, added);
    QFETCH(int, row);
    QFETCH(QString, message);
    Open();
    Type(Dialog(), "keywordBox", typed);
    QVERIFY(Button(QStringLiteral("Add ->"))->isEnabled());
    QTest::keyClick(Find<QLineEdit>(Dialog(), QStringLiteral("keywordBox")), Qt::Key_Return);
    auto *box = Find<QLineEdit>(Dialog(), QStringLiteral("keywordBox"));
    if (added.isEmpty()) {
        QCOMPARE(m_prompter.asked.size(), 1);
        QCOMPARE(m_prompter.asked[0].text, message);
        QCOMPARE(m_prompter.asked[0].icon, QMessageBox::Warning);
        QCOMPARE(m_settings.keywords.GetSize(), 21);
        QCOMPARE(box->selectedText(), typed);
        QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());
        return;
    }
    QVERIFY(m_prompter.asked.isEmpty());
    QCOMPARE(QString::fromStdString(m_settings.keywords.GetAt(row)[0]), added);
    QCOMPARE(ListTexts(Keywords()).value(row), added);
    QCOMPARE(Keywords()->currentRow(), row);
    QVERIFY(box->text().isEmpty() && !Button(QStringLiteral("Add ->"))->isEnabled());
    QVERIFY(!Button(QStringLiteral("Indent"))->isChecked());
    QVERIFY(Button(QStringLiteral("Apply"))->isEnabled());
}

void PreferencesTest::boxesFilterWhatIsPasted()
{
    Open();
    QApplication::clipboard()->setText(QStringLiteral("x y-z(1)"));
    auto *keywordBox = Find<QLineEdit>(Dialog(), QStringLiteral("keywordBox"));
    keywordBox->setFocus();
    QTest::keyClick(keywordBox, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(keywordBox->text(), QStringLiteral("xyz1"));

    TableRow row;
    int delta = 0;
    CFunctionDlg dialog(row, delta, m_prompter);
    QApplication::clipboard()->setText(QStringLiteral("\"a b\" (c)"));
    auto *parameterBox = Find<QLineEdit>(&dialog, QStringLiteral("parameterBox"));
    parameterBox->paste();
    QCOMPARE(parameterBox->text(), QStringLiteral("\"ab\"c"));
    auto *nameBox = Find<QLineEdit>(&dialog, QStringLiteral("nameBox"));
    nameBox->insert(QStringLiteral("na\"me"));
    QCOMPARE(nameBox->text(), QStringLiteral("name"));
}

void PreferencesTest::removeKeyword_data()
{
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("selected");
    QTest::newRow("last selects the new last") << "a\r\nb\r\nc indent\r\n" << 2 << QMessageBox::Yes << QStringList{"a", "b"} << 1;
    QTest::newRow("middle selects the next") << "a\r\nb\r\nc indent\r\n" << 1 << QMessageBox::Yes << QStringList{"a", "c"} << 1;
    QTest::newRow("answer no") << "a\r\nb\r\n" << 1 << QMessageBox::No << QStringList{"a", "b"} << 1;
    QTest::newRow("only entry") << "a indent\r\n" << 0 << QMessageBox::Yes << QStringList{} << -1;
}

void PreferencesTest::removeKeyword()
{
    QFETCH(QString, keywords);
    QFETCH(int, removed);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, left);
    QFETCH(int, selected);
    m_settings.keywords.RemoveAll();
    m_settings.keywords.ParseText(keywords.toStdString());
    Open();
    Keywords()->setCurrentRow(removed);
    m_prompter.answers.enqueue(answer);
    Button(QStringLiteral("<- Remove"))->click();
    QCOMPARE(m_prompter.asked.value(0).caption, QStringLiteral("Scriba - Remove keyword?"));
    QVERIFY(m_prompter.asked.value(0).text.startsWith(QStringLiteral("Are you sure you\nwant to remove: \"")));
    QCOMPARE(ListTexts(Keywords()), left);
    QCOMPARE(int(m_settings.keywords.GetSize()), int(left.size()));
    QCOMPARE(Keywords()->currentRow(), selected);
    QCOMPARE(Button(QStringLiteral("Apply"))->isEnabled(), answer == QMessageBox::Yes);
    // The boxes show the newly selected keyword's attributes ("c indent" in the first case).
    QCOMPARE(Button(QStringLiteral("Indent"))->isChecked(), left.value(selected) == QStringLiteral("c"));
    const bool any = !left.isEmpty();
    QCOMPARE(Button(QStringLiteral("<- Remove"))->isEnabled(), any);
    QCOMPARE(Button(QStringLiteral("Indent"))->isEnabled(), any);
    if (any)
        return;
    Type(Dialog(), "keywordBox", QStringLiteral("b"));
    Button(QStringLiteral("Add ->"))->click();
    for (const char *button : {"<- Remove", "Indent", "Outdent"})
        QVERIFY(Button(QLatin1String(button))->isEnabled());
}

void PreferencesTest::attributesChangeTheRowAtOnce()
{
    m_settings.keywords.RemoveAll();
    m_settings.keywords.ParseText("do indent INDENT\r\nend outdent\r\n");
    Open();
    QVERIFY(Button(QStringLiteral("Indent"))->isChecked());
    Button(QStringLiteral("Indent"))->click();
    QCOMPARE(m_settings.keywords.GetAt(0), (TableRow{"do", "INDENT"}));
    Keywords()->setCurrentRow(1);
    Keywords()->setCurrentRow(0);
    QVERIFY(Button(QStringLiteral("Indent"))->isChecked()); // the second "indent" still counts
    Button(QStringLiteral("Outdent"))->click();
    QCOMPARE(m_settings.keywords.GetAt(0), (TableRow{"do", "INDENT", "outdent"}));
    QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());
    // Without auto-indentation the boxes are off until a keyword is added.
    Button(QStringLiteral("Auto indentation"))->click();
    QVERIFY(!Button(QStringLiteral("Outdent"))->isEnabled() && !Button(QStringLiteral("Two spaces"))->isEnabled());
    Type(Dialog(), "keywordBox", QStringLiteral("x"));
    Button(QStringLiteral("Add ->"))->click();
    QVERIFY(Button(QStringLiteral("Indent"))->isEnabled() && Button(QStringLiteral("Outdent"))->isEnabled());
}

void PreferencesTest::parameterColumnsFollowTheWidestFunction()
{
    SetFunctions("");
    Open();
    QCOMPARE(Grid()->model()->columnCount(), 1);
    QVERIFY(!Button(QStringLiteral("- Edit -"))->isEnabled() && !Button(QStringLiteral("Remove ->"))->isEnabled());
    struct Step {
        const char *button;
        int row; // the row to select first, or -1
        QString name;
        QStringList parameters;
        int columns;
        int selected;
        bool ok = true;
    };
    const QList<Step> steps = {
        {"<- Add", -1, "b", {"x"}, 2, 0},
        {"<- Add", -1, "a", {"p", "q", "r"}, 4, 0},
        {"- Edit -", 0, "z", {"1"}, 4, 0, false}, // parameters removed and added, then Cancel
        {"<- Add", -1, "b", {}, 4, 2},        // a second "b", after the first
        {"- Edit -", 0, "a", {}, 2, 0},       // the widest loses its parameters
        {"- Edit -", 2, "c", {"1", "2"}, 3, 2}, // another becomes the widest
        {"Remove ->", 2, "", {}, 2, 1},       // and leaves: the new last row is selected
    };
    for (const Step &step : steps) {
        if (step.row >= 0)
            Grid()->selectRow(step.row);
        if (QLatin1String(step.button) == QLatin1String("Remove ->"))
            m_prompter.answers.enqueue(QMessageBox::Yes);
        else
            m_prompter.dialogs.enqueue(EnterFunction(step.name, step.parameters, step.ok));
        Button(QLatin1String(step.button))->click();
        QCOMPARE(Grid()->model()->columnCount(), step.columns);
        QCOMPARE(Grid()->model()->rowCount(), m_settings.functions.GetSize());
        QCOMPARE(Grid()->selectionModel()->selectedRows().value(0).row(), step.selected);
        QCOMPARE(Grid()->horizontalHeader()->sectionSize(step.columns - 1), step.columns == 1 ? 110 : 65);
        QCOMPARE(Button(QStringLiteral("Apply"))->isEnabled(), step.ok);
        Button(QStringLiteral("Apply"))->click();
    }
    QCOMPARE(m_settings.functions.Rows(), (std::vector<TableRow>{{"a"}, {"b", "x"}}));
    QCOMPARE(Grid()->model()->index(1, 1).data().toString(), QStringLiteral("x"));
    m_prompter.answers << QMessageBox::Yes << QMessageBox::Yes;
    Button(QStringLiteral("Remove ->"))->click();
    Button(QStringLiteral("Remove ->"))->click();
    QCOMPARE(Grid()->model()->columnCount(), 1);
    QVERIFY(!Button(QStringLiteral("- Edit -"))->isEnabled() && !Button(QStringLiteral("Remove ->"))->isEnabled());
}

void PreferencesTest::editAndRemoveNeedASelection()
{
    Open();
    Grid()->clearSelection();
    Button(QStringLiteral("- Edit -"))->click();
    Button(QStringLiteral("Remove ->"))->click();
    QCOMPARE(m_prompter.asked.size(), 2);
    for (const Prompt &prompt : m_prompter.asked) {
        QCOMPARE(prompt.caption, QStringLiteral("Scriba - Error!"));
        QCOMPARE(prompt.text, QStringLiteral("No selection!"));
        QCOMPARE(prompt.icon, QMessageBox::NoIcon);
    }
    QCOMPARE(m_settings.functions.GetSize(), 209);
}

void PreferencesTest::functionDialogEditsItsRowOnlyOnOk_data()
{
    QTest::addColumn<QString>("typed");     // parameters typed, "|" between them; "-" removes the selected
    QTest::addColumn<QString>("moves");     // the entry to select, then "u" up, "d" down
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<int>("delta");
    QTest::newRow("two added one removed") << "x|y|-" << "" << true << QStringList{"f", "a", "b", "x"} << 1;
    QTest::newRow("quotes kept, parentheses dropped") << "\"s\"|(o)" << "" << true << QStringList{"f", "a", "b", "\"s\"", "o"} << 2;
    QTest::newRow("up from the last") << "" << "1u" << true << QStringList{"f", "b", "a"} << 0;
    QTest::newRow("down at the last, up at the first") << "" << "1du" << true << QStringList{"f", "b", "a"} << 0;
    QTest::newRow("up at the first, down and up again") << "" << "0udu" << true << QStringList{"f", "a", "b"} << 0;
    QTest::newRow("cancel after every kind of edit") << "x|-|-" << "0d" << false << QStringList{"f", "a", "b"} << -1;
    QTest::newRow("cut to 255") << QString(300, QLatin1Char('p')) << "" << true
                                << QStringList{"f", "a", "b", QString(255, QLatin1Char('p'))} << 1;
}

void PreferencesTest::functionDialogEditsItsRowOnlyOnOk()
{
    QFETCH(QString, typed);
    QFETCH(QString, moves);
    QFETCH(bool, ok);
    QFETCH(QStringList, row);
    QFETCH(int, delta);
    TableRow edited{"f", "a", "b"};
    int paramCountDelta = 0;
    CFunctionDlg dialog(edited, paramCountDelta, m_prompter);
    dialog.show();
    auto *list = Find<QListWidget>(&dialog, QStringLiteral("parameterList"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(Find<QLineEdit>(&dialog, QStringLiteral("nameBox"))->cursorPosition(), 1);
    QVERIFY(!Find<QLineEdit>(&dialog, QStringLiteral("nameBox"))->hasSelectedText());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Scriba - Add/Edit Tarn Lua function"));
    QVERIFY(!Find(&dialog, QStringLiteral("moveUp"))->icon().isNull());
    for (const QString &part : typed.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("-")) {
            Find(&dialog, QStringLiteral("<- Remove"))->click();
            continue;
        }
        Type(&dialog, "parameterBox", part);
        QTest::keyClick(Find<QLineEdit>(&dialog, QStringLiteral("parameterBox")), Qt::Key_Return);
    }
    if (!moves.isEmpty())
        list->setCurrentRow(moves.left(1).toInt());
    for (QChar move : moves.mid(1))
        Find(&dialog, move == QLatin1Char('u') ? QStringLiteral("moveUp") : QStringLiteral("moveDown"))->click();
    Find(&dialog, ok ? QStringLiteral("OK") : QStringLiteral("Cancel"))->click();
    QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QStringList stored;
    for (const std::string &entry : edited)
        stored.append(QString::fromStdString(entry));
    QCOMPARE(stored, row);
    QCOMPARE(paramCountDelta, delta);
    QCOMPARE(Find(&dialog, QStringLiteral("<- Remove"))->isEnabled(), list->count() > 0);
}

// Ctrl+click on the selected entry leaves it current but not selected.
void PreferencesTest::buttonsActOnlyOnASelectedEntry()
{
    auto deselect = [](QListWidget *list, int row) {
        list->setCurrentRow(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, list->visualItemRect(list->item(row)).center());
        QCOMPARE(list->currentRow(), row);
        QVERIFY(list->selectedItems().isEmpty());
    };
    Open();
    const std::vector<TableRow> keywords = m_settings.keywords.Rows();
    deselect(Keywords(), 0);
    for (const char *button : {"<- Remove", "Indent", "Outdent"})
        Button(QLatin1String(button))->click();
    QVERIFY(m_prompter.asked.isEmpty());
    QVERIFY(m_settings.keywords.Rows() == keywords);
    QVERIFY(!Button(QStringLiteral("Indent"))->isChecked() && !Button(QStringLiteral("Outdent"))->isChecked());

    TableRow edited{"f", "a", "b", "c"};
    int paramCountDelta = 0;
    CFunctionDlg dialog(edited, paramCountDelta, m_prompter);
    dialog.show();
    auto *list = Find<QListWidget>(&dialog, QStringLiteral("parameterList"));
    deselect(list, 1);
    for (const char *button : {"<- Remove", "moveUp", "moveDown"})
        Find(&dialog, QLatin1String(button))->click();
    QCOMPARE(ListTexts(list), (QStringList{"a", "b", "c"}));
    Find(&dialog, QStringLiteral("OK"))->click();
    QCOMPARE(edited, (TableRow{"f", "a", "b", "c"}));
    QCOMPARE(paramCountDelta, 0);
}

void PreferencesTest::accessKeysAndASmallScreen()
{
    Open();
    QCOMPARE(AccessKeyProblems(Dialog()), QStringList());
    TableRow row{"f", "a"};
    int paramCountDelta = 0;
    CFunctionDlg dialog(row, paramCountDelta, m_prompter);
    QCOMPARE(AccessKeyProblems(&dialog), QStringList());

    // Squeezed to the least it takes, the dialog fits a 1024x768 screen beside a title bar and a
    // panel, and every keyword shows whole.
    const QSize least = Dialog()->minimumSizeHint();
    QVERIFY2(least.width() <= 1000 && least.height() <= 700, qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
    Dialog()->resize(least);
    QCoreApplication::processEvents();
    QListWidget *keywords = Keywords();
    int widest = 0;
    for (const QString &keyword : ListTexts(keywords))
        widest = std::max(widest, keywords->fontMetrics().horizontalAdvance(keyword));
    QVERIFY2(keywords->viewport()->width() >= widest,
             qPrintable(QStringLiteral("%1 < %2").arg(keywords->viewport()->width()).arg(widest)));
}

void PreferencesTest::messageBoxesShowTheirTitleAndWrapLongNames()
{
    Open();
    const QString keyword(255, u'k');
    Type(Dialog(), "keywordBox", keyword);
    Button(QStringLiteral("Add ->"))->click();
    Type(Dialog(), "keywordBox", keyword);
    Button(QStringLiteral("Add ->"))->click();
    QCOMPARE(m_prompter.asked.size(), 1);
    QVERIFY(m_prompter.asked[0].text.contains(keyword));
    const Prompt question{QStringLiteral("Scriba - Remove keyword?"), QStringLiteral("Are you sure you\nwant to remove: \"and\""),
                          QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No};
    for (const Prompt &prompt : {question, m_prompter.asked[0]}) {
        std::unique_ptr<QMessageBox> box = Prompter::MessageBox(Dialog(), prompt);
        box->show();
        QCoreApplication::processEvents();
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY(box->width() >= QFontMetrics(bold).horizontalAdvance(prompt.caption) + 100);
        QVERIFY(box->width() <= box->screen()->availableGeometry().width());
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap,
                                                                label->text());
        QVERIFY2(needed.width() <= label->width(), qPrintable(QStringLiteral("%1 > %2").arg(needed.width()).arg(label->width())));
        QVERIFY(needed.height() <= label->height());
    }
}

void PreferencesTest::functionDialogRefusesBadNames()
{
    TableRow row;
    int delta = 0;
    CFunctionDlg dialog(row, delta, m_prompter);
    dialog.show();
    QVERIFY(!Find(&dialog, QStringLiteral("<- Remove"))->isEnabled());
    auto *name = Find<QLineEdit>(&dialog, QStringLiteral("nameBox"));
    Find(&dialog, QStringLiteral("OK"))->click();
    Type(&dialog, "nameBox", QStringLiteral("  (3d_view)"));
    QCOMPARE(name->text(), QStringLiteral("3d_view"));
    Find(&dialog, QStringLiteral("OK"))->click();
    QCOMPARE(m_prompter.asked.size(), 2);
    QCOMPARE(m_prompter.asked[0].text, QStringLiteral("A function name must be entered."));
    QCOMPARE(m_prompter.asked[1].text, QStringLiteral("Function name cannot begin with a number."));
    QCOMPARE(m_prompter.asked[1].caption, QStringLiteral("Scriba - Error!"));
    QCOMPARE(name->selectedText(), QStringLiteral("3d_view"));
    QVERIFY(dialog.isVisible() && row.empty());
    name->setCursorPosition(0);
    QTest::keyClick(name, Qt::Key_Delete);
    Find(&dialog, QStringLiteral("OK"))->click();
    QCOMPARE(row, (TableRow{"d_view"}));
}

void PreferencesTest::importMergesAndReports()
{
    SetFunctions("have x\r\n");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shared.txt"));
    WriteFile(path, "new_b p \"q\"\r\nhave y\r\n9bad\r\n\r\nnew_a (o) 1 2 3\r\nnew_b z\r\nno-no\r\n");
    const QString empty = folder.filePath(QStringLiteral("empty.txt"));
    WriteFile(empty, "");
    m_prompter.fileNames << empty << path << folder.filePath(QStringLiteral("missing.txt"));
    Open();
    Button(QStringLiteral("Import..."))->click();
    QCOMPARE(m_prompter.asked.value(0).text, QLatin1Char('"') + empty +
                                                 QStringLiteral("\"\n\nFunctions added: 0\nFunctions skipped, already in the table: 0"));
    QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());

    Button(QStringLiteral("Import..."))->click();
    const Prompt report = m_prompter.asked.value(1);
    QCOMPARE(report.caption, QStringLiteral("Scriba - Import"));
    QCOMPARE(report.text, QLatin1Char('"') + path +
                              QStringLiteral("\"\n\nFunctions added: 2\nFunctions skipped, already in the table: 2\n"
                                             "Lines refused for a bad function name or parameter: 3, 7"));
    QCOMPARE(report.icon, QMessageBox::Warning);
    QCOMPARE(m_settings.functions.Rows(),
             (std::vector<TableRow>{{"have", "x"}, {"new_a", "(o)", "1", "2", "3"}, {"new_b", "p", "\"q\""}}));
    QCOMPARE(Grid()->model()->rowCount(), 3);
    QCOMPARE(Grid()->model()->columnCount(), 5);
    QCOMPARE(Grid()->horizontalHeader()->sectionSize(0), 110);
    QCOMPARE(Grid()->selectionModel()->selectedRows().value(0).row(), 2); // the first row added
    QVERIFY(Button(QStringLiteral("Apply"))->isEnabled());
    Button(QStringLiteral("Import..."))->click();
    QCOMPARE(m_prompter.asked.value(2).caption, QStringLiteral("Scriba - Error!"));
    QVERIFY(m_prompter.asked.value(2).text.startsWith(QStringLiteral("Could not read \"") + folder.filePath(QStringLiteral("missing.txt"))));
    // A named pipe is refused at once instead of holding the dialog up.
    const QString pipe = folder.filePath(QStringLiteral("pipe.txt"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    m_prompter.fileNames << pipe;
    Button(QStringLiteral("Import..."))->click();
    QVERIFY(m_prompter.asked.value(3).text.contains(QStringLiteral("named pipe")));
    // A binary file is refused whole: its runs of letters are no functions.
    const QString binary = folder.filePath(QStringLiteral("program.txt"));
    WriteFile(binary, QByteArrayLiteral("\x7F" "ELF\x02\x01\0\0\n" "runs of letters\ngood_looking x y\n"));
    m_prompter.fileNames << binary;
    Button(QStringLiteral("Import..."))->click();
    QCOMPARE(m_prompter.asked.value(4).text, QStringLiteral("Could not read \"") + binary +
                                                  QStringLiteral("\".\n\nIt is not a plain text file: it holds zero "
                                                                 "bytes, as binary files and UTF-16 text do."));
    QCOMPARE(m_settings.functions.GetSize(), 3);
    Button(QStringLiteral("Cancel"))->click();
    QCOMPARE(m_refreshes, 0);
}

void PreferencesTest::exportWritesTheRowsSafely()
{
    SetFunctions("f \"a\" (b)\r\ng\r\n");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("out.txt"));
    WriteFile(path, "old");
    const QString nowhere = folder.filePath(QStringLiteral("no/such/folder/out.txt"));
    m_prompter.fileNames << path << nowhere;
    Open();
    Button(QStringLiteral("Export..."))->click();
    QCOMPARE(ReadFile(path), QByteArray("f \"a\" (b)\ng\n"));
    QVERIFY(m_prompter.asked.isEmpty());
    Button(QStringLiteral("Export..."))->click();
    QCOMPARE(m_prompter.asked.value(0).caption, QStringLiteral("Scriba - Error!"));
    QVERIFY(m_prompter.asked.value(0).text.startsWith(QStringLiteral("Could not write \"") + nowhere + QStringLiteral("\".\n\n")));
    QVERIFY(!Button(QStringLiteral("Apply"))->isEnabled());
}

void PreferencesTest::preferencesCommandReachesViewsAndTheFile()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    QVERIFY(frame->Action(ID_PREFERENCES)->isEnabled());
    // Without a document the Edit menu, and Preferences with it, is gone.
    fixture.App().CloseAllDocuments();
    fixture.Update();
    QVERIFY(!frame->Action(ID_PREFERENCES)->isEnabled());
    fixture.App().OnFileNew();
    fixture.Update();
    CScribaView *view = fixture.ActiveView();
    view->setText(QStringLiteral("x = 1"));
    view->RecolourAll();
    const int numberStyle = int(view->SendScintilla(QsciScintilla::SCI_GETSTYLEAT, 4));
    const long before = long(view->SendScintilla(QsciScintilla::SCI_STYLEGETFORE, numberStyle));
    fixture.Prompts().dialogs.enqueue([](QDialog &dialog) {
        Find<QComboBox>(&dialog, QStringLiteral("styleSelector"))->setCurrentIndex(int(StyleKind::Number));
        Find(&dialog, QStringLiteral("Underline"))->click();
        Find(&dialog, QStringLiteral("OK"))->click();
        return dialog.result();
    });
    fixture.Prompts().colors << QColor(0x12, 0x34, 0x56);
    fixture.Prompts().dialogs.enqueue([](QDialog &dialog) {
        Find<QComboBox>(&dialog, QStringLiteral("styleSelector"))->setCurrentIndex(int(StyleKind::Number));
        Find(&dialog, QStringLiteral("Color..."))->click();
        Find(&dialog, QStringLiteral("Apply"))->click();
        Find(&dialog, QStringLiteral("Cancel"))->click();
        return dialog.result();
    });
    frame->Action(ID_PREFERENCES)->trigger();
    QVERIFY(Settings::Global().style(StyleKind::Number).underline);
    QVERIFY(view->SendScintilla(QsciScintilla::SCI_STYLEGETUNDERLINE, numberStyle));
    frame->Action(ID_PREFERENCES)->trigger();
    QVERIFY(long(view->SendScintilla(QsciScintilla::SCI_STYLEGETFORE, numberStyle)) != before);
    QCOMPARE(long(view->SendScintilla(QsciScintilla::SCI_STYLEGETFORE, numberStyle)), long(0x563412));
    fixture.Exit();
    QVERIFY(ReadFile(fixture.IniPath()).contains("[number_style]\r\ncolor = 18, 52, 86\r\nbold = FALSE\r\n"
                                                 "italic = FALSE\r\nunderline = TRUE\r\n"));
}


void PreferencesTest::enterIsOkUnlessTheKeywordBoxHoldsAName()
{
    Open();
    auto *box = Find<QLineEdit>(Dialog(), QStringLiteral("keywordBox"));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("goto"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(m_dialog->isVisible()); // the keyword was added, the dialog stays
    QVERIFY(ListTexts(Keywords()).contains(QStringLiteral("goto")));
    QTest::keyClick(box, Qt::Key_Return); // an empty box: OK
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    Open();
    auto *check = Find<QCheckBox>(Dialog(), QStringLiteral("intelliTip"));
    check->setFocus();
    check->click();
    QTest::keyClick(check, Qt::Key_Enter);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_settings.options.intellitip, 0);
}

void PreferencesTest::reopenSwitchIsStoredOnOk()
{
    AppFixture fixture;
    QVERIFY(fixture.App().ReopenSession());
    QStringList problems;
    fixture.Prompts().dialogs.enqueue([&problems](QDialog &dialog) {
        problems = AccessKeyProblems(&dialog);
        auto *reopen = Find<QCheckBox>(&dialog, QStringLiteral("reopenSession"));
        if (!reopen->isVisible() || !reopen->isChecked())
            return int(QDialog::Rejected);
        reopen->click();
        Find(&dialog, QStringLiteral("OK"))->click();
        return dialog.result();
    });
    fixture.App().MainFrame()->Action(ID_PREFERENCES)->trigger();
    QVERIFY(!fixture.App().ReopenSession());
    QCOMPARE(problems, QStringList());
}

QTEST_MAIN(PreferencesTest)
#include "preferences_test.moc"
