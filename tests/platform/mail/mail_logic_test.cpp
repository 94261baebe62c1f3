#include "mail_logic.h"

#include <gtest/gtest.h>

namespace {

using qm::Delivery;
using qm::MessageType;

TEST(TextGateway, DigitsOfTheCellAndTheCarriersDomain) {
    const struct {
        const char* cell;
        const char* carrier;
        const char* expected;
    } cases[] = {
        {"(555) 123-4567", "Verizon", "5551234567@vtext.com"},
        {"555.123.4567", "AT&T", "5551234567@txt.att.net"},
        {" 555 123 4567 ", "Sprint", "5551234567@messaging.sprintpcs.com"},
        {"+1-555-123-4567 ext", "T-Mobile", "15551234567@tmomail.net"},
        // Outside the table, exact case included: the bare digits.
        {"(555) 123-4567", "verizon", "5551234567"},
        {"(555) 123-4567", "Verizon ", "5551234567"},
        {"(555) 123-4567", "", "5551234567"},
        {"(555) 123-4567", "Cricket", "5551234567"},
        {"none", "Verizon", "@vtext.com"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::textGatewayAddress(c.cell, c.carrier), c.expected)
            << c.cell << " / " << c.carrier;
    }
}

const std::vector<std::string> kSearchers = {
    "Ann Lee _ 1 Oak St _ Salem _ MA _ 555-0100 _ (555) 201-0001 _ Verizon _ ann@example.com",
    "Bob Stone _ 2 Elm St _ Lynn _ MA _ 555-0101 _ 555 201 0002 _ AT&T _ bob@example.com",
    "Bobby Stone _ 3 Elm St _ Lynn _ MA _ _ 555-201-0003 _ T-Mobile _ bobby@example.com",
    "Carl Bob _ 4 Pine St _ Lynn _ MA _ _ 5552010004 _ Sprint _ carl@example.com",
    "Dee _ _ _ _ _ 555 201 0005 _ cellco _ dee@example.com",
};

TEST(FindSearcher, FirstLineThatBeginsWithTheName) {
    const struct {
        const char* recipName;
        const char* email; // nullptr: none found
        const char* textAddress;
    } cases[] = {
        {"Ann Lee", "ann@example.com", "5552010001@vtext.com"},
        {"Bob Stone", "bob@example.com", "5552010002@txt.att.net"},
        {"Bobby", "bobby@example.com", "5552010003@tmomail.net"},
        // A shorter name picks the first searcher it begins.
        {"Bob", "bob@example.com", "5552010002@txt.att.net"},
        {"Dee", "dee@example.com", "5552010005"},
        // Only further on in a line, in another case, or empty: no searcher.
        {"Stone", nullptr, nullptr},
        {"ann lee", nullptr, nullptr},
        {"Zed", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto found = qm::findSearcher(kSearchers, c.recipName);
        if (c.email == nullptr) {
            EXPECT_FALSE(found) << c.recipName;
            continue;
        }
        ASSERT_TRUE(found) << c.recipName;
        EXPECT_EQ(found->email, c.email) << c.recipName;
        EXPECT_EQ(found->textAddress, c.textAddress) << c.recipName;
    }
}

TEST(PlanDelivery, RecipientsFollowTheMessageType) {
    const struct {
        MessageType type;
        const char* to;
        const char* cc;
    } cases[] = {
        {MessageType::EmailWithTextCopy, "bob@example.com", "5552010002@txt.att.net"},
        {MessageType::EmailOnly, "bob@example.com", ""},
        {MessageType::TextOnly, "5552010002@txt.att.net", ""},
        // A value no caller passes sends the e-mail alone.
        {static_cast<MessageType>(7), "bob@example.com", ""},
    };
    for (const auto& c : cases) {
        const auto delivery =
            qm::planDelivery(kSearchers, "Bob Stone", "SEARCH ORDER", "File 123", c.type);
        ASSERT_TRUE(delivery);
        EXPECT_EQ(*delivery, (Delivery{c.to, c.cc, "SEARCH ORDER", "File 123"}))
            << static_cast<int>(c.type);
    }
    EXPECT_FALSE(qm::planDelivery(kSearchers, "Nobody", "REMINDER", "x", MessageType::EmailOnly));
    EXPECT_FALSE(qm::planDelivery({}, "Bob", "REMINDER", "x", MessageType::EmailOnly));
}

} // namespace
