// Generate Invoice on real data folders: the prompt, the override, the statement that LibreOffice
// opens, and the move of exactly the billed orders, all or nothing.
#include "app_context.h"
#include "clock.h"
#include "completed_orders.h"
#include "completed_view.h"
#include "dialogs.h"
#include "directory_files.h"
#include "file_size_limit.h"
#include "invoice_command.h"
#include "launcher.h"
#include "office_text.h"
#include "statement_archive.h"
#include "test_support.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace qm {
namespace {

using test::Completed;
using test::contentOf;

const QString kKey = QStringLiteral("Acme Title - Boston");
const QDate kToday(2026, 4, 2);
const QDate kCutoff(2026, 3, 31);

// Opens nothing; says what it was asked to open.
class RecordingLauncher final : public ProgramLauncher {
  public:
    bool startDetached(const QString&, const QStringList&, const QString&, QString*) override {
        return false;
    }
    bool runAndWait(const QString&, const QStringList&, const QString&, QString*) override {
        return false;
    }
    bool openDocument(const QString& path, QString* failure) override {
        opened.push_back(path);
        if (!canOpen && failure)
            *failure = QStringLiteral("no application for .docx");
        return canOpen;
    }
    std::vector<QString> opened;
    bool canOpen = true;
};

// The billed customer's orders among look-alikes: an "m" second part, a billed-in-advance copy,
// one past the cutoff, one of a longer key, and another customer's order with a billed number.
std::vector<Completed> completedOrders() {
    return {
        Completed("QM00012").types("R.Full", "M.Tax").fees("150", "20").on({2026, 3, 2, 9, 0, 0}),
        Completed("OTHER-1").by("Acme Title - Bostonian").fees("99"),
        Completed("QM00012m").types("", "M.Lien").fees("0", "35.5").on({2026, 3, 3, 9, 0, 0}),
        Completed("QM00013").types("C.Cont", "").fees("12345.675", "0", "12.5"),
        Completed("QM00014").fees("75").billedInAdvance().on({2026, 3, 9, 10, 0, 0}),
        Completed("QM00013").by("", "Baker Law - Ann Baker").fees("60"),
        Completed("LATE-1").fees("40").on({2026, 4, 1, 8, 0, 0}),
    };
}
const std::vector<size_t> kBilled = {0, 2, 3, 4}; // of completedOrders()

std::string archivedBytes(const std::vector<Completed>& orders, const std::vector<size_t>& which,
                          const std::string& number, const std::string& date) {
    std::string out;
    for (size_t i : which) {
        OrderRecord r = test::completedRecord(orders[i]).movedTo(OrderFile::Archives);
        r.setText(OrderField::StatementNumber, number);
        r.setText(OrderField::StatementDate, date);
        out += r.encode();
    }
    return out;
}

std::string keptBytes(const std::vector<Completed>& orders, const std::vector<size_t>& billed) {
    std::vector<Completed> kept;
    for (size_t i = 0; i < orders.size(); ++i)
        if (std::find(billed.begin(), billed.end(), i) == billed.end())
            kept.push_back(orders[i]);
    return test::completedBytes(kept);
}

// Statements/ as it stands: every file name in it.
std::vector<std::string> statementFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder + kStatementsFolder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Desk {
    Desk() {
        context.settings.dataFolder = folder.path();
        context.settings.company = {"Smith & Jones Abstracts", "1 Main St",      "",
                                    "Agawam, MA 01001",        "(413) 555-0100", "(413) 555-0101",
                                    "office@sj.example"};
        context.clock = &clock;
        context.dialogs = &dialogs;
        context.launcher = &launcher;
        test::put(folder.file("Completed.fil"), test::completedBytes(orders));
        test::put(folder.file("Archives.fil"), archivesBefore);
    }

    // What the Completed tab hands over at the click: the key's rows up to the cutoff.
    InvoiceRequest request() const {
        InvoiceRequest r;
        r.billingKey = kKey;
        r.cutoff = kCutoff;
        const std::array<QString, 4> directory = {"Acme Title", "2 Second St", "Boston, MA 02102",
                                                  ""};
        for (size_t i = 0; i < 4; ++i)
            r.billTo[i] = {directory[i], directory[i]};
        r.billToFound = true;
        auto table = readOrderFile(folder.path(), OrderFile::Completed);
        if (!table)
            return r;
        auto rows = buildCompletedRows(*table);
        if (!rows)
            return r;
        for (size_t i : rowsForKey(*rows, kKey, kCutoff, kToday))
            r.shown.push_back((*rows)[i]);
        return r;
    }
    bool generate(const InvoiceRequest& r) { return generateInvoice(context, nullptr, r); }
    std::string completed() const { return contentOf(folder.file("Completed.fil")); }
    std::string archives() const { return contentOf(folder.file("Archives.fil")); }

    test::TempFolder folder;
    std::vector<Completed> orders = completedOrders();
    std::string archivesBefore =
        archivedBytes({Completed("QM00001"), Completed("QM00002")}, {0, 1}, "S-1", "02/28/2026");
    ManualClock clock{QDateTime(kToday, QTime(10, 30))};
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext context;
};

TEST(GenerateInvoice, StatementOpensInOfficeAndItsOrdersAreArchivedOnce) {
    Desk desk;
    InvoiceRequest request = desk.request();
    ASSERT_EQ(request.shown.size(), 4u);
    request.billTo[0].text = QStringLiteral("Accounts Payable");
    request.billTo[3].text = QStringLiteral("Attn: Smith & Jones");
    desk.dialogs.queueText(QStringLiteral("st-9"));
    ASSERT_TRUE(desk.generate(request));

    ASSERT_FALSE(desk.dialogs.shown().empty());
    EXPECT_EQ(desk.dialogs.shown()[0].title, QStringLiteral(" STATEMENT NUMBER"));
    EXPECT_EQ(desk.dialogs.shown()[0].text,
              QStringLiteral("Enter statement number to proceed ...\r\rNOTE: Completed orders "
                             "shown will be removed to the archives once the invoice is "
                             "generated."));
    EXPECT_EQ(desk.dialogs.shown().size(), 1u) << desk.dialogs.shown().back().text.toStdString();
    EXPECT_EQ(desk.completed(), keptBytes(desk.orders, kBilled));
    EXPECT_EQ(desk.archives(),
              desk.archivesBefore + archivedBytes(desk.orders, kBilled, "st-9", "04/02/2026"));
    EXPECT_EQ(contentOf(desk.folder.file("Billing.adr")),
              "Acme Title - Boston_Accounts Payable_2 Second St_Boston, MA 02102_Attn: Smith & "
              "Jones\r\n");
    const std::string path = desk.folder.file("Statements/Statement_ST-9.docx");
    ASSERT_EQ(desk.launcher.opened, std::vector<QString>{QString::fromStdString(path)});
    EXPECT_EQ(statementFiles(desk.folder.path()), std::vector<std::string>{"Statement_ST-9.docx"});

    const test::OfficePdf office(path);
    ASSERT_TRUE(office.converted()) << office.diagnostics();
    const std::string page = office.text();
    for (const char* expected :
         {"Statement Number: ST-9", "MONTH ENDING March 31, 2026", "SMITH & JONES ABSTRACTS",
          "Accounts Payable", "Acme Title", "Attn: Smith & Jones", "FILE NO./REF",
          "Thank You For Your Business!", "Smith & Jones Abstracts", "Invoice"})
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
    const std::string fixed = office.text(5.4);
    for (const char* expected :
         {"Full, Lien.Muni; 12 Oak St, Springfield", "   205.50",
          "Com.Cont; 12 Oak St, Springfield", " 12345.68", "copy costs", "    12.50", "QM00014",
          "    75.00", "Searches ...12,626.18", "Copies .....    12.50", "TOTAL DUE: $12,638.68"})
        EXPECT_NE(fixed.find(expected), std::string::npos) << expected << "\n" << fixed;
    for (const char* absent : {"QM00012m", "OTHER-1", "LATE-1", "60.00"})
        EXPECT_EQ(fixed.find(absent), std::string::npos) << absent;
}

TEST(GenerateInvoice, NumberIsStoredAsTypedAndKeptOutOfOtherFoldersInTheName) {
    Desk desk;
    desk.launcher.canOpen = false;
    desk.dialogs.queueText(QStringLiteral("q\"4/b"));
    ASSERT_TRUE(desk.generate(desk.request()));
    // The double quote became an apostrophe, as the window's typing rules make it.
    EXPECT_EQ(desk.archives(),
              desk.archivesBefore + archivedBytes(desk.orders, kBilled, "q'4/b", "04/02/2026"));
    EXPECT_EQ(statementFiles(desk.folder.path()), std::vector<std::string>{"Statement_Q'4-B.docx"});
    // Nothing opened it: the user is told where it is, and the orders stay archived.
    ASSERT_EQ(desk.dialogs.shown().size(), 2u);
    const QString told = desk.dialogs.shown()[1].text;
    EXPECT_TRUE(
        told.contains(QString::fromStdString(desk.folder.file("Statements/Statement_Q'4-B.docx"))))
        << told.toStdString();
    EXPECT_EQ(desk.completed(), keptBytes(desk.orders, kBilled));
}

TEST(GenerateInvoice, CancelOrABlankNumberChangesNothing) {
    for (const std::optional<QString>& answer :
         {std::optional<QString>(), std::optional<QString>(QStringLiteral("   "))}) {
        Desk desk;
        const std::string completed = desk.completed();
        InvoiceRequest request = desk.request();
        request.billTo[1].text = QStringLiteral("PO Box 7");
        desk.dialogs.queueText(answer);
        EXPECT_FALSE(desk.generate(request));
        EXPECT_EQ(desk.completed(), completed);
        EXPECT_EQ(desk.archives(), desk.archivesBefore);
        EXPECT_FALSE(fileExists(desk.folder.file("Billing.adr")));
        EXPECT_TRUE(statementFiles(desk.folder.path()).empty());
    }
}

TEST(GenerateInvoice, AnExistingStatementIsReplacedOnlyWhenTheUserSaysSo) {
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        Desk desk;
        const std::string completed = desk.completed();
        const std::string path = desk.folder.file("Statements/Statement_ST-9.docx");
        std::filesystem::create_directory(desk.folder.file("Statements"));
        test::put(path, "the statement of last month");
        desk.dialogs.queueText(QStringLiteral("st-9"));
        if (replace)
            desk.dialogs.queueAnswer(QMessageBox::Yes); // no answer: the default button
        EXPECT_EQ(desk.generate(desk.request()), replace);
        ASSERT_GE(desk.dialogs.shown().size(), 2u);
        EXPECT_TRUE(desk.dialogs.shown()[1].text.startsWith("Statement_ST-9.docx is already"));
        EXPECT_EQ(contentOf(path) == "the statement of last month", !replace);
        EXPECT_EQ(desk.completed() == completed, !replace);
        EXPECT_EQ(desk.archives() == desk.archivesBefore, !replace);
        EXPECT_EQ(statementFiles(desk.folder.path()),
                  std::vector<std::string>{"Statement_ST-9.docx"});
    }
}

// Another workstation changes Completed.fil while the prompt is open.
TEST(GenerateInvoice, AnOrderChangedAfterTheClickStopsTheWholeStatement) {
    struct Case {
        const char* name;
        std::function<void(std::vector<Completed>&)> change;
        bool stillBilled;
    };
    const Case cases[] = {
        {"a fee corrected", [](auto& o) { o[3].fees("12345.67", "0", "12.5"); }, false},
        {"a billed-in-advance order closed",
         [](auto& o) {
             o[4].billed = false;
             o[4].on({2026, 3, 30, 16, 0, 0});
         },
         false},
        {"an order billed on another statement", [](auto& o) { o.erase(o.begin() + 2); }, false},
        {"a new order of the customer closed", [](auto& o) { o.push_back(Completed("NEW-1")); },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desk desk;
        const InvoiceRequest request = desk.request();
        std::vector<Completed> changed = desk.orders;
        c.change(changed);
        desk.dialogs.setWhileOpen(
            [&] { test::put(desk.folder.file("Completed.fil"), test::completedBytes(changed)); });
        desk.dialogs.queueText(QStringLiteral("st-9"));
        EXPECT_EQ(desk.generate(request), c.stillBilled);
        if (c.stillBilled) {
            EXPECT_EQ(desk.completed(), keptBytes(changed, kBilled));
            continue;
        }
        EXPECT_EQ(desk.completed(), test::completedBytes(changed));
        EXPECT_EQ(desk.archives(), desk.archivesBefore);
        EXPECT_TRUE(statementFiles(desk.folder.path()).empty());
        EXPECT_TRUE(desk.launcher.opened.empty());
        ASSERT_EQ(desk.dialogs.shown().size(), 2u);
        EXPECT_EQ(desk.dialogs.shown()[1].title, QStringLiteral(" SHEET ERROR"));
        EXPECT_TRUE(desk.dialogs.shown()[1].text.contains("look at the list again"));
    }
}

// A close or bill cut short leaves the order in Pending.fil and its record here; archiving that
// record would let the repeated command write it again and bill it twice.
TEST(GenerateInvoice, AnOrderStillInTheQueueUnmarkedStopsTheStatement) {
    struct Case {
        const char* name;
        size_t pendingOrder; // of completedOrders()
        bool billedMark;
        bool archived;
    };
    const Case cases[] = {
        {"a close cut short", 0, false, false},
        {"a bill cut short", 4, false, false},
        {"an order billed in advance and still being searched", 4, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desk desk;
        Completed order = desk.orders[c.pendingOrder];
        order.billed = c.billedMark;
        const std::string pending =
            test::completedRecord(order).movedTo(OrderFile::Pending).encode();
        test::put(desk.folder.file("Pending.fil"), pending);
        desk.dialogs.queueText(QStringLiteral("st-9"));
        EXPECT_EQ(desk.generate(desk.request()), c.archived);
        EXPECT_EQ(contentOf(desk.folder.file("Pending.fil")), pending);
        if (c.archived) {
            EXPECT_EQ(desk.completed(), keptBytes(desk.orders, kBilled));
            continue;
        }
        EXPECT_EQ(desk.completed(), test::completedBytes(desk.orders));
        EXPECT_EQ(desk.archives(), desk.archivesBefore);
        EXPECT_TRUE(statementFiles(desk.folder.path()).empty());
        ASSERT_EQ(desk.dialogs.shown().size(), 2u);
        EXPECT_TRUE(desk.dialogs.shown()[1].text.startsWith(
            QStringLiteral("Order ") + QString::fromLatin1(order.number) +
            QStringLiteral(" is still in the pending queue")));
    }
}

TEST(GenerateInvoice, AFailureWhileArchivingLeavesBothFilesAsTheyWere) {
    struct Case {
        const char* name;
        std::function<rlim_t(Desk&)> prepare; // a file size limit, or 0 for none
    };
    const Case cases[] = {
        {"the archive write stops part way",
         [](Desk& desk) {
             // The archive already holds more than Completed.fil or the statement: only its
             // append reaches past the limit.
             std::vector<Completed> many(300, Completed("OLD"));
             desk.archivesBefore = archivedBytes(many, std::vector<size_t>(300, 0), "S-1", "x");
             test::put(desk.folder.file("Archives.fil"), desk.archivesBefore);
             return static_cast<rlim_t>(desk.archivesBefore.size() + 100);
         }},
        {"the statement's name is taken after the archive write",
         [](Desk& desk) {
             desk.dialogs.setWhileOpen([&desk] {
                 std::filesystem::create_directories(
                     desk.folder.file("Statements/Statement_ST-9.docx"));
             });
             return rlim_t{0};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desk desk;
        const std::string completed = desk.completed();
        desk.dialogs.queueText(QStringLiteral("st-9"));
        bool generated = true;
        {
            std::optional<test::FileSizeLimit> limit;
            if (const rlim_t bytes = c.prepare(desk))
                limit.emplace(bytes);
            generated = desk.generate(desk.request());
        }
        EXPECT_FALSE(generated);
        EXPECT_EQ(desk.completed(), completed);
        EXPECT_EQ(desk.archives(), desk.archivesBefore);
        EXPECT_FALSE(fileExists(desk.folder.file("Completed.new")));
        EXPECT_FALSE(fileExists(desk.folder.file("Statements/Statement_ST-9.docx")));
        for (const std::string& name : statementFiles(desk.folder.path()))
            EXPECT_EQ(name, "Statement_ST-9.docx") << "a temporary file was left";
        ASSERT_EQ(desk.dialogs.shown().size(), 2u);
        EXPECT_EQ(desk.dialogs.shown()[1].icon, QMessageBox::Critical);
        EXPECT_EQ(desk.dialogs.shown()[1].title, QStringLiteral(" SHEET ERROR"));
    }
}

TEST(BillToOverride, StoredWhenItDiffersFromTheOneInForce) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const std::string key = "Acme Title - Boston";
    const std::string edited = key + "_Accounts Payable_2 Second St_Boston, MA 02102_\r\n";
    const std::string other = key + "_Old Name_2 Second St_Boston, MA 02102_\r\n";
    const Case cases[] = {
        {"no file", "<missing>", edited},
        {"the same line in force", other + edited, other + edited},
        {"an older equal line", edited + other, edited + other + edited},
        {"a last line without its end", "Baker_x_y_z_", "Baker_x_y_z_\r\n" + edited},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        if (c.before != "<missing>")
            test::put(folder.file("Billing.adr"), c.before);
        InvoiceRequest request;
        request.billingKey = QString::fromStdString(key);
        const std::array<QString, 4> directory = {"Acme Title", "2 Second St", "Boston, MA 02102",
                                                  ""};
        for (size_t i = 0; i < 4; ++i)
            request.billTo[i] = {directory[i], directory[i]};
        request.billTo[0].text = QStringLiteral("Accounts Payable");
        ASSERT_TRUE(storeBillToOverride(folder.path(), request));
        EXPECT_EQ(contentOf(folder.file("Billing.adr")), c.after);
    }
}

// The real prompt follows the window's typing rules although it is a window of its own.
TEST(StatementPrompt, TypedQuotesBecomeApostrophesAndStarsAreDropped) {
    WidgetDialogs dialogs;
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, "a\"b*c");
        box->accept();
    });
    const auto typed =
        dialogs.askText(nullptr, kStatementNumberTitle, QStringLiteral("?"), {}, QPoint(10, 10));
    ASSERT_TRUE(typed);
    EXPECT_EQ(*typed, QStringLiteral("a'bc"));
}

} // namespace
} // namespace qm
