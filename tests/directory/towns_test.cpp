#include "towns.h"

#include <gtest/gtest.h>

#include <QSet>

namespace qm {
namespace {

TEST(Towns, EachStateCarriesItsCompleteList) {
    const struct {
        QString state;
        qsizetype count;
        QString first;
        QString last;
        QStringList kept; // as written: abbreviations, several words
    } cases[] = {
        {"Connecticut", 169, "ANDOVER", "WOODSTOCK", {"WINDSOR LOCKS", "EAST HAMPTON", "ANSONIA"}},
        {"", 169, "ANDOVER", "WOODSTOCK", {}},
        {"Massachusetts",
         351,
         "ABINGTON",
         "YARMOUTH",
         {"N. ATTLEBOROUGH", "MOUNT WASHINGTON", "ANDOVER", "AQUINNAH"}},
    };
    for (const auto& c : cases) {
        const QStringList towns = townsOfState(c.state);
        EXPECT_EQ(towns.size(), c.count) << c.state.toStdString();
        EXPECT_EQ(towns.first(), c.first) << c.state.toStdString();
        EXPECT_EQ(towns.last(), c.last) << c.state.toStdString();
        EXPECT_EQ(QSet<QString>(towns.begin(), towns.end()).size(), c.count)
            << "duplicates in " << c.state.toStdString();
        for (const QString& town : towns)
            EXPECT_EQ(town, town.trimmed().toUpper()) << town.toStdString();
        for (const QString& town : c.kept)
            EXPECT_TRUE(towns.contains(town)) << town.toStdString();
    }
}

TEST(Towns, ConnecticutStaysInAlphabeticalOrder) {
    const QStringList towns = townsOfState("Connecticut");
    EXPECT_TRUE(std::is_sorted(towns.begin(), towns.end()));
    EXPECT_EQ(towns.indexOf("ANDOVER") + 1, towns.indexOf("ANSONIA"));
}

TEST(Towns, MassachusettsKeepsTheOrderCarried) {
    // Not plain alphabetical: the blank in EAST LONGMEADOW does not count in the list as kept.
    const QStringList towns = townsOfState("Massachusetts");
    EXPECT_EQ(towns.indexOf("EASTHAMPTON") + 1, towns.indexOf("EAST LONGMEADOW"));
    EXPECT_EQ(towns.indexOf("NORTH ANDOVER") + 1, towns.indexOf("N. ATTLEBOROUGH"));
}

TEST(Towns, UnknownStateOrOtherCaseHasNoTowns) {
    EXPECT_TRUE(townsOfState("Rhode Island").isEmpty());
    EXPECT_TRUE(townsOfState("connecticut").isEmpty());
}

TEST(Towns, PickListStartsWithPlaceholderThenSortsIgnoringCase) {
    const QStringList list = townPickList("Massachusetts");
    ASSERT_EQ(list.size(), 352);
    EXPECT_EQ(list.first(), kSelectTownPlaceholder);
    EXPECT_TRUE(
        std::is_sorted(list.begin() + 1, list.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        }));
    EXPECT_EQ(townPickList("").size(), 170);
    EXPECT_EQ(townPickList("Texas"), (QStringList{kSelectTownPlaceholder, QString()}));
}

} // namespace
} // namespace qm
