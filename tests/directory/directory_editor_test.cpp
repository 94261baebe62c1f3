#include "directory_editor.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

// Readable failures.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qm {
namespace {

const DirectoryKind kCompanies = DirectoryKind::Companies;
const DirectoryKind kAttorneys = DirectoryKind::Attorneys;
const DirectoryKind kSearchers = DirectoryKind::Searchers;
const QColor kYellow(255, 255, 128);
const QColor kGrey(224, 224, 224);

const std::string kCompanyLine =
    "Acme _ 1 Main St _  _ Hartford, CT 06101 _  _ (860) 555-0101 _ a@acme _ ";

class Editor : public ::testing::Test {
  protected:
    std::string folder() const { return dir.path().toStdString() + "/"; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder() + name, std::ios::binary) << bytes;
    }
    void put(DirectoryKind kind, const std::string& bytes) const {
        put(directoryFileName(kind), bytes);
    }
    std::string file(DirectoryKind kind) const {
        std::ifstream in(folder() + directoryFileName(kind), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    QPushButton* button(DirectoryKind kind) const {
        return kind == kCompanies   ? editor.cmdTitleCompanies
               : kind == kAttorneys ? editor.cmdAttorneys
                                    : editor.cmdSearchers;
    }
    void open(DirectoryKind kind) { button(kind)->click(); }
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < editor.List1->count(); ++i)
            out << editor.List1->item(i)->text();
        return out;
    }
    // As a person types: the whole text selected, then replaced key by key.
    void type(int box, const QString& text) {
        editor.Text[box]->selectAll();
        QTest::keyClicks(editor.Text[box], text);
    }
    void fill(const std::vector<std::pair<int, QString>>& values) {
        for (const auto& [box, text] : values)
            type(box, text);
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    DirectoryEditor editor{[this] { return folder(); }, dialogs};
};

QColor buttonColour(const QPushButton* b) {
    return b->palette().color(QPalette::Button);
}

TEST_F(Editor, OpensEachKindSortedWithPlaceholdersAndColours) {
    put(kCompanies, "beta _ 2\r\nAlpha _ 1\r\nBETA _ 3\r\n");
    put(kAttorneys, "zed _ z\r\nAble _ a\r\n");
    put(kSearchers, "sam _ s\r\nRita _ r\r\nbob _ b\r\n");
    const struct {
        DirectoryKind kind;
        QStringList rows;
        QString box1;
        QString box8;
    } cases[] = {
        {kCompanies,
         {"Alpha _ 1", "beta _ 2", "BETA _ 3"},
         "< titleco firm name >",
         "< vendor number >"},
        {kAttorneys, {"Able _ a", "zed _ z"}, "< attorney firm name >", "< attorney email >"},
        {kSearchers, {"bob _ b", "Rita _ r", "sam _ s"}, "< searcher name >", "< searcher email >"},
    };
    const std::pair<const char*, QString> captions[] = {{"cmdTitleCompanies", "Title Companies"},
                                                        {"cmdAttorneys", "Attorneys"},
                                                        {"cmdSearchers", "Searchers"},
                                                        {"cmdAdd", "ADD"},
                                                        {"cmdRemove", "REMOVE"}};
    for (const auto& [name, caption] : captions) {
        auto* b = editor.findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), caption);
    }
    ASSERT_EQ(editor.findChild<QComboBox*>("cboCarrier"), editor.cboCarrier);
    ASSERT_EQ(editor.findChild<QListWidget*>("List1"), editor.List1);
    for (int i = 0; i < kCellCarriers.size(); ++i)
        EXPECT_EQ(editor.cboCarrier->itemText(int(i)), kCellCarriers[i]);

    for (const auto& c : cases) {
        SCOPED_TRACE(directoryKindName(c.kind));
        open(c.kind);
        ASSERT_EQ(editor.openKind(), c.kind);
        EXPECT_EQ(rows(), c.rows);
        for (int n = 1; n <= 8; ++n) {
            EXPECT_EQ(editor.findChild<QLineEdit*>(QString("Text(%1)").arg(n)), editor.Text[n]);
            EXPECT_TRUE(editor.Text[n]->isEnabled());
            EXPECT_EQ(editor.Text[n]->text(), directoryPlaceholder(c.kind, n));
            EXPECT_EQ(editor.Text[n]->toolTip(), directoryPlaceholder(c.kind, n));
        }
        EXPECT_EQ(editor.Text[1]->text(), c.box1);
        EXPECT_EQ(editor.Text[8]->text(), c.box8);
        for (DirectoryKind k : {kCompanies, kAttorneys, kSearchers})
            EXPECT_EQ(buttonColour(button(k)), k == c.kind ? kYellow : kGrey);
        EXPECT_FALSE(editor.cmdAdd->isEnabled());
        EXPECT_FALSE(editor.cmdRemove->isEnabled());
    }
}

TEST_F(Editor, SameButtonAgainClosesTheDirectory) {
    put(kSearchers, "sam _ s\r\n");
    QSignalSpy saves(&editor, &DirectoryEditor::customRatesSave);
    open(kSearchers);
    open(kSearchers);
    EXPECT_EQ(saves.count(), 2); // every button press leaves the shown entry
    EXPECT_FALSE(editor.openKind());
    EXPECT_EQ(editor.List1->count(), 0);
    for (int n = 1; n <= 8; ++n) {
        EXPECT_FALSE(editor.Text[n]->isEnabled());
        EXPECT_TRUE(editor.Text[n]->text().isEmpty());
        EXPECT_TRUE(editor.Text[n]->toolTip().isEmpty());
    }
    for (DirectoryKind k : {kCompanies, kAttorneys, kSearchers})
        EXPECT_EQ(buttonColour(button(k)), kGrey);
    EXPECT_FALSE(editor.cmdAdd->isEnabled());
    EXPECT_FALSE(editor.cmdRemove->isEnabled());
    EXPECT_TRUE(editor.cboCarrier->isHidden());
    EXPECT_EQ(editor.cboCarrier->currentIndex(), -1);
}

TEST_F(Editor, SelectingARowShowsItsBoxesAndAsksForItsRates) {
    put(kAttorneys, "Jane Roe _ Jane Roe _ 9 Elm _  _ Hartford, CT _  _ (860) 555-0199 _ j@roe\r\n"
                    "Law Firm _ Al Bee _ 2 Oak _  _ Avon, CT _  _ (860) 555-0100 _ a@b\r\n");
    QSignalSpy loads(&editor, &DirectoryEditor::customRatesLoad);
    open(kAttorneys);
    ASSERT_TRUE(editor.selectRow(0));
    EXPECT_EQ(editor.Text[1]->text(), "< attorney firm name >"); // no firm
    EXPECT_EQ(editor.Text[2]->text(), "Jane Roe");
    EXPECT_EQ(editor.Text[4]->text(), "< attorney address 2 >");
    EXPECT_EQ(editor.Text[8]->text(), "j@roe");
    EXPECT_EQ(editor.Text[1]->palette().color(QPalette::Base), kYellow);
    EXPECT_EQ(editor.Text[2]->palette().color(QPalette::Base), kGrey);
    EXPECT_TRUE(editor.cmdRemove->isEnabled());
    EXPECT_FALSE(editor.cmdAdd->isEnabled());
    ASSERT_TRUE(editor.selectRow(1));
    EXPECT_EQ(editor.Text[1]->text(), "Law Firm");
    ASSERT_EQ(loads.count(), 2);
    EXPECT_EQ(loads[0][0].toString(), "Jane Roe");
    EXPECT_EQ(loads[1][0].toString(), "Law Firm");

    editor.setAttorneyRatesAllowed([] { return false; });
    ASSERT_TRUE(editor.selectRow(0));
    EXPECT_EQ(loads.count(), 2);
}

TEST_F(Editor, RefusedCharactersAreDroppedAsTyped) {
    open(kCompanies);
    const struct {
        int box;
        QString typed;
        QString kept;
    } cases[] = {
        {1, "A_b/c:d*e?f<g>h|i{j}k\\l", "Abcdefghijkl"},
        {2, "1_/Main", "1Main"},
        {3, "Suite_ 4/5", "Suite 4/5"},
        {4, "Avon_, CT", "Avon, CT"},
        {7, "a_b@c", "ab@c"},
        {8, "V_1", "V1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        type(c.box, c.typed);
        EXPECT_EQ(editor.Text[c.box]->text(), c.kept);
    }
    editor.Text[1]->selectAll();
    editor.Text[1]->insert("Sam_/Smith"); // as a paste does
    EXPECT_EQ(editor.Text[1]->text(), "SamSmith");
}

TEST_F(Editor, PhoneBoxesFormatAsTyped) {
    const struct {
        DirectoryKind kind;
        int box;
        QString typed;
        QString shown;
    } cases[] = {
        {kCompanies, 5, "8605550101", "(860) 555-0101"},
        {kCompanies, 6, "8605550101", "(860) 555-0101"},
        {kAttorneys, 7, "2035550123", "(203) 555-0123"},
        {kSearchers, 6, "860555010", "860555010"},         // nine digits: not yet
        {kSearchers, 5, "86055501019", "(860) 555-01019"}, // formatted at ten, then as typed
        {kCompanies, 5, "860-555-0101", "860-555-0101"},   // not a number
        {kCompanies, 7, "8605550101", "8605550101"},       // the email box
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        if (editor.openKind() != c.kind)
            open(c.kind);
        type(c.box, c.typed);
        EXPECT_EQ(editor.Text[c.box]->text(), c.shown);
        if (c.shown.size() == 14) {
            EXPECT_EQ(editor.Text[c.box]->cursorPosition(), 14);
        }
    }
}

TEST_F(Editor, AddWritesTheExactLineAndSelectsIt) {
    const struct {
        const char* name;
        DirectoryKind kind;
        std::vector<std::pair<int, QString>> boxes;
        std::string line;
    } cases[] = {
        {"company without optional fields",
         kCompanies,
         {{1, "Acme"},
          {2, "1 Main St"},
          {4, "Hartford, CT 06101"},
          {6, "8605550101"},
          {7, "a@acme"}},
         kCompanyLine},
        {"attorney without a firm",
         kAttorneys,
         {{2, "Jane Roe"}, {3, "9 Elm"}, {5, "Hartford, CT"}, {7, "8605550199"}, {8, "j@roe"}},
         "Jane Roe _ Jane Roe _ 9 Elm _  _ Hartford, CT _  _ (860) 555-0199 _ j@roe"},
        {"searcher",
         kSearchers,
         {{1, "Sam"}, {6, "8605550111"}, {7, "Sprint"}, {8, "s@x"}},
         "Sam _  _  _  _  _ (860) 555-0111 _ Sprint _ s@x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(c.kind, "Zeta _ old\r\n");
        open(c.kind);
        fill(c.boxes);
        ASSERT_TRUE(editor.cmdAdd->isEnabled());
        type(c.boxes.back().first, directoryPlaceholder(c.kind, c.boxes.back().first));
        EXPECT_FALSE(editor.cmdAdd->isEnabled()); // a placeholder is no value
        type(c.boxes.back().first, c.boxes.back().second);
        QSignalSpy saves(&editor, &DirectoryEditor::customRatesSave);
        editor.cmdAdd->click();
        EXPECT_TRUE(dialogs.shown().empty());
        EXPECT_EQ(file(c.kind), "Zeta _ old\r\n" + c.line + "\r\n");
        EXPECT_EQ(saves.count(), 1);
        ASSERT_EQ(editor.List1->count(), 2);
        EXPECT_EQ(editor.List1->currentItem()->text(), QString::fromStdString(c.line));
        EXPECT_TRUE(editor.cmdRemove->isEnabled());
        EXPECT_FALSE(editor.cmdAdd->isEnabled());
        open(c.kind); // close before the next kind
    }
}

TEST_F(Editor, DuplicatesAreRefusedWithTheMessage) {
    const struct {
        const char* name;
        DirectoryKind kind;
        std::string existing;
        std::vector<std::pair<int, QString>> boxes;
    } cases[] = {
        {"company whose name begins an existing one in the same city",
         kCompanies,
         "Acme Title _ 2 Elm _  _ Hartford, CT _  _ (860) 555-0102 _ b@acme _ ",
         {{1, "Acme"}, {2, "1 Main St"}, {4, "Hartford, CT"}, {6, "8605550101"}, {7, "a@acme"}}},
        {"attorney of the same firm and name",
         kAttorneys,
         "Law Firm _ Al Bee _ 2 Oak _  _ Avon, CT _  _ (860) 555-0100 _ a@b",
         {{1, "Law Firm"},
          {2, "Al Bee"},
          {3, "3 Oak"},
          {5, "Avon, CT"},
          {7, "8605550100"},
          {8, "x@y"}}},
        {"searcher of the same name",
         kSearchers,
         "Sam Smith _  _  _  _  _ (860) 555-0111 _ Sprint _ s@x",
         {{1, "Sam"}, {6, "8605550112"}, {7, "Verizon"}, {8, "t@x"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        put(c.kind, c.existing + "\r\n");
        open(c.kind);
        fill(c.boxes);
        ASSERT_TRUE(editor.cmdAdd->isEnabled());
        editor.cmdAdd->click();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(dialogs.shown()[0].title, directoryKindName(c.kind));
        EXPECT_EQ(dialogs.shown()[0].text, "Entry Already Exists");
        EXPECT_EQ(file(c.kind), c.existing + "\r\n");
        EXPECT_FALSE(editor.cmdAdd->isEnabled());
        EXPECT_TRUE(editor.List1->selectedItems().isEmpty());
        open(c.kind);
    }
}

TEST_F(Editor, CompanyWithoutACommaInItsCityIsNeverADuplicate) {
    put(kCompanies, "");
    open(kCompanies);
    fill({{1, "Acme"}, {2, "1 Main"}, {4, "Hartford CT"}, {6, "8605550101"}, {7, "a@acme"}});
    editor.cmdAdd->click();
    fill({{1, "Acme"}, {2, "1 Main"}, {4, "Hartford CT"}, {6, "8605550101"}, {7, "a@acme"}});
    editor.cmdAdd->click();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(editor.List1->count(), 2);
}

TEST_F(Editor, RemoveTakesEveryEqualLineAndTheRateFile) {
    put(kCompanies, kCompanyLine + "\r\nOther _ x\r\n" + kCompanyLine + "\r\n");
    std::filesystem::create_directory(folder() + kCustomRatesFolder);
    put(std::string(kCustomRatesFolder) + "/Acme.rte", "\"T1\",\"10.00\"\r\n");
    QSignalSpy captions(&editor, &DirectoryEditor::customCaptionCleared);
    open(kCompanies);
    ASSERT_EQ(editor.List1->count(), 3);
    ASSERT_TRUE(editor.selectRow(0));
    ASSERT_EQ(editor.Text[1]->text(), "Acme");
    editor.cmdRemove->click();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(file(kCompanies), "Other _ x\r\n");
    EXPECT_EQ(rows(), QStringList{"Other _ x"});
    EXPECT_FALSE(std::filesystem::exists(folder() + kCustomRatesFolder + "/Acme.rte"));
    EXPECT_EQ(captions.count(), 1);
    EXPECT_TRUE(editor.removalMarked());
    EXPECT_EQ(editor.Text[1]->text(), "Acme"); // the values stay for editing
    EXPECT_TRUE(editor.cmdAdd->isEnabled());
    EXPECT_FALSE(editor.cmdRemove->isEnabled());

    // Adding it back unchanged writes the same line at the end, and clears the mark.
    editor.cmdAdd->click();
    EXPECT_EQ(file(kCompanies), "Other _ x\r\n" + kCompanyLine + "\r\n");
    EXPECT_FALSE(editor.removalMarked());
}

// However the row is chosen, the boxes, the rates asked for and REMOVE all take that one row.
TEST_F(Editor, EveryWayOfSelectingGivesOneEntryForBoxesRatesAndRemove) {
    const std::string acme = kCompanyLine;
    const std::string beta =
        "Beta Title _ 5 Oak St _  _ Avon, CT 06001 _  _ (860) 555-0202 _ b@beta _ ";
    const std::string zeta =
        "Zeta Land _ 7 Elm St _  _ Enfield, CT 06082 _  _ (860) 555-0303 _ z@zeta _ ";
    const std::string rates = std::string(kCustomRatesFolder) + "/";
    enum Way { Click, KeyDown, Code };
    const struct {
        const char* name;
        Way way;
        int before; // the row selected first; -1 for none, as right after opening
    } cases[] = {
        {"first click after opening", Click, -1},
        {"click after another row", Click, 0},
        {"click on the row after a click elsewhere", Click, 2},
        {"arrow key", KeyDown, 0},
        {"call", Code, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(kCompanies, zeta + "\r\n" + acme + "\r\n" + beta + "\r\n");
        std::filesystem::create_directory(folder() + kCustomRatesFolder);
        for (const char* name : {"Acme", "Beta Title", "Zeta Land"})
            put(rates + name + ".rte", std::string("\"T1\",\"1") + name[0] + ".00\"\r\n");
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
        open(kCompanies);
        ASSERT_EQ(rows(), (QStringList{QString::fromStdString(acme), QString::fromStdString(beta),
                                       QString::fromStdString(zeta)}));
        if (c.before >= 0) {
            ASSERT_TRUE(editor.selectRow(c.before));
        }
        QSignalSpy entries(&editor, &DirectoryEditor::currentEntryChanged);
        QSignalSpy loads(&editor, &DirectoryEditor::customRatesLoad);
        QSignalSpy saves(&editor, &DirectoryEditor::customRatesSave);
        const QModelIndex betaRow = editor.List1->model()->index(1, 0);
        switch (c.way) {
        case Click:
            QTest::mouseClick(editor.List1->viewport(), Qt::LeftButton, {},
                              editor.List1->visualRect(betaRow).center());
            EXPECT_EQ(saves.count(), 1); // the entry shown before is left
            break;
        case KeyDown:
            editor.List1->setFocus();
            QTest::keyClick(editor.List1, Qt::Key_Down);
            break;
        case Code:
            ASSERT_TRUE(editor.selectRow(1));
            break;
        }
        ASSERT_EQ(editor.List1->selectedItems().size(), 1);
        EXPECT_EQ(editor.List1->selectedItems()[0]->text(), QString::fromStdString(beta));
        EXPECT_EQ(editor.Text[1]->text(), "Beta Title");
        EXPECT_EQ(editor.Text[4]->text(), "Avon, CT 06001");
        EXPECT_EQ(editor.selectedEntry().bytes, beta);
        ASSERT_GE(entries.count(), 1);
        const auto last = entries.last()[0].value<SelectedDirectoryEntry>();
        EXPECT_EQ(last.line, QString::fromStdString(beta));
        EXPECT_EQ(last.rateName, "Beta Title");
        ASSERT_GE(loads.count(), 1);
        EXPECT_EQ(loads.last()[0].toString(), "Beta Title");
        ASSERT_TRUE(editor.cmdRemove->isEnabled());

        editor.cmdRemove->click();
        EXPECT_TRUE(dialogs.shown().empty());
        EXPECT_EQ(file(kCompanies), zeta + "\r\n" + acme + "\r\n");
        EXPECT_FALSE(std::filesystem::exists(folder() + rates + "Beta Title.rte"));
        for (const char* kept : {"Acme", "Zeta Land"}) {
            std::ifstream in(folder() + rates + kept + ".rte", std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            EXPECT_EQ(bytes.str(), std::string("\"T1\",\"1") + kept[0] + ".00\"\r\n") << kept;
        }
        EXPECT_TRUE(editor.selectedEntry().isEmpty());
        EXPECT_TRUE(entries.last()[0].value<SelectedDirectoryEntry>().isEmpty());
        open(kCompanies); // closed for the next case
    }
}

TEST_F(Editor, NamesThatCannotNameARateFileAreRefusedWithAMessage) {
    const QString longest(DirectoryEditor::kMaxNameBytes, QLatin1Char('n'));
    const struct {
        const char* name;
        int box;
        QString before; // already in the box, cursor at its end
        QString typed;  // typed key by key, or pasted when paste is set
        bool paste;
        QString kept;
        bool refused;
    } cases[] = {
        {"the longest name is taken", 1, longest.left(250), "n", false, longest, false},
        {"one more key is refused", 1, longest, "x", false, longest, true},
        {"a paste is cut at the limit", 2, "Ann ", QString(300, 'p'), true,
         "Ann " + QString(DirectoryEditor::kMaxNameBytes - 4, 'p'), true},
        {"accented letters count one byte each", 1, QString(250, QChar(0xE9)),
         QStringLiteral("\u00e9\u00e9"), true, QString(251, QChar(0xE9)), true},
        {"box 3 does not name a file", 3, QString(300, 'a'), "b", false, QString(300, 'a') + "b",
         false},
    };
    open(kAttorneys);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        QLineEdit* box = editor.Text[c.box];
        box->setText(c.before);
        box->setCursorPosition(int(c.before.size()));
        if (c.paste)
            box->insert(c.typed);
        else
            QTest::keyClicks(box, c.typed);
        EXPECT_EQ(box->text(), c.kept);
        if (!c.refused) {
            EXPECT_TRUE(dialogs.shown().empty());
            continue;
        }
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].title, "NAME TOO LONG");
        EXPECT_TRUE(dialogs.shown()[0].text.startsWith("A name can be at most 251 characters"));
    }
}

TEST_F(Editor, RemovedAttorneyWithoutFirmComesBackWithItsNameInFieldOne) {
    const std::string line =
        "Jane Roe _ Jane Roe _ 9 Elm _  _ Hartford, CT _  _ (860) 555-0199 _ j@roe";
    put(kAttorneys, line + "\r\n");
    open(kAttorneys);
    ASSERT_TRUE(editor.selectRow(0));
    EXPECT_EQ(editor.customRateName(), "Jane Roe");
    editor.cmdRemove->click();
    EXPECT_EQ(file(kAttorneys), "");
    editor.cmdAdd->click();
    EXPECT_EQ(file(kAttorneys), line + "\r\n");
}

TEST_F(Editor, LeavingAnEntryByKeySavesItsRatesOnlyWhenThereIsANeighbour) {
    put(kSearchers, "Ann _ a\r\nBob _ b\r\n");
    open(kSearchers);
    ASSERT_TRUE(editor.selectRow(0));
    QSignalSpy saves(&editor, &DirectoryEditor::customRatesSave);
    QTest::keyClick(editor.List1, Qt::Key_Up); // nothing above
    EXPECT_EQ(saves.count(), 0);
    QTest::keyClick(editor.List1, Qt::Key_Down);
    EXPECT_EQ(saves.count(), 1);
    EXPECT_EQ(editor.Text[1]->text(), "Bob");
    QTest::keyClick(editor.List1, Qt::Key_Down); // nothing below
    EXPECT_EQ(saves.count(), 1);
}

TEST_F(Editor, UnreadableFolderIsReported) {
    DirectoryEditor lost([] { return std::string("/nonexistent/qm/"); }, dialogs);
    EXPECT_FALSE(lost.LoadDatabase(kCompanies));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Companies");
}

TEST_F(Editor, CarrierListStandsInForBoxSevenOfSearchers) {
    put(kSearchers, "Sam _  _  _  _  _ (860) 555-0111 _ Verizon _ s@x\r\n");
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    open(kSearchers);
    ASSERT_TRUE(editor.selectRow(0));
    editor.Text[7]->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.cboCarrier->isVisible(); }));
    EXPECT_EQ(editor.cboCarrier->currentText(), "Verizon");
    EXPECT_FALSE(editor.Text[7]->isVisible());
    EXPECT_FALSE(editor.cmdRemove->isEnabled()); // the boxes now describe a new entry
    editor.cboCarrier->setCurrentIndex(0);
    emit editor.cboCarrier->activated(0);
    EXPECT_EQ(editor.Text[7]->text(), "AT&T");
    editor.Text[8]->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.Text[7]->isVisible(); }));
    EXPECT_FALSE(editor.cboCarrier->isVisible());
}

} // namespace
} // namespace qm
