#include "message.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

using qm::composeMessage;
using qm::Delivery;
using qm::MailDate;

// 2024-03-05 19:07:09 UTC
constexpr std::time_t kWhen = 1709665629;

std::string decodeBase64(std::string_view text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        const size_t digit = alphabet.find(c);
        if (digit == std::string::npos) {
            break;
        }
        value = value << 6 | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>(value >> bits & 0xFF);
        }
    }
    return out;
}

// The header block and the body of a composed message.
std::pair<std::string, std::string> split(const std::string& message) {
    const size_t end = message.find("\r\n\r\n");
    return {message.substr(0, end + 2), message.substr(end + 4)};
}

std::string withoutMessageId(const std::string& headers, std::string* id) {
    static const std::regex kId("Message-ID: (<[^\r\n]*>)\r\n");
    std::smatch match;
    if (std::regex_search(headers, match, kId)) {
        *id = match[1];
    }
    return std::regex_replace(headers, kId, "");
}

TEST(MailDate, Rfc5322FormWithTheClocksOffset) {
    const struct {
        long offset;
        const char* expected;
    } cases[] = {
        {-5 * 3600, "Tue, 05 Mar 2024 14:07:09 -0500"},
        {0, "Tue, 05 Mar 2024 19:07:09 +0000"},
        {5 * 3600 + 1800, "Wed, 06 Mar 2024 00:37:09 +0530"},
        {-(9 * 3600 + 1800), "Tue, 05 Mar 2024 09:37:09 -0930"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::formatMailDate(MailDate{kWhen, c.offset}), c.expected) << c.offset;
    }
}

TEST(ComposeMessage, HeadersInOrderWithCrLf) {
    const Delivery delivery{"ann@example.com", "5552010001@vtext.com", "SEARCH ORDER",
                            "File 24-0012\r\n12 Main St\r\n"};
    const std::string message = composeMessage("office@title.example", delivery,
                                               MailDate{kWhen, -5 * 3600}, "title.example");
    auto [headers, body] = split(message);
    std::string id;
    EXPECT_EQ(withoutMessageId(headers, &id), "From: office@title.example\r\n"
                                              "To: ann@example.com\r\n"
                                              "Cc: 5552010001@vtext.com\r\n"
                                              "Subject: SEARCH ORDER\r\n"
                                              "Date: Tue, 05 Mar 2024 14:07:09 -0500\r\n"
                                              "MIME-Version: 1.0\r\n"
                                              "Content-Type: text/plain; charset=UTF-8\r\n"
                                              "Content-Transfer-Encoding: 8bit\r\n");
    EXPECT_TRUE(std::regex_match(id, std::regex("<[0-9A-Za-z.]+@title\\.example>"))) << id;
    EXPECT_EQ(body, "File 24-0012\r\n12 Main St\r\n");

    // No copy, no sender: neither header; and each message has its own id.
    const std::string bare = composeMessage("", Delivery{"bob@example.com", "", "REMINDER", ""},
                                            MailDate{kWhen, 0}, "h");
    std::string bareId;
    EXPECT_EQ(withoutMessageId(split(bare).first, &bareId),
              "To: bob@example.com\r\nSubject: REMINDER\r\nDate: Tue, 05 Mar 2024 19:07:09 "
              "+0000\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: 8bit\r\n");
    EXPECT_NE(bareId, id);
}

TEST(ComposeMessage, LineBreaksNeverReachAHeader) {
    const struct {
        const char* name;
        Delivery delivery;
        const char* to;
        const char* cc;
        const char* subject;
    } cases[] = {
        {"subject over lines",
         {"a@x.com", "", "Re: 1 Main St\r\nBcc: all@x.com", ""},
         "a@x.com",
         nullptr,
         "Re: 1 Main St Bcc: all@x.com"},
        {"bare LF and CR",
         {"a@x.com", "", "one\ntwo\rthree\r\n\r\nfour", ""},
         "a@x.com",
         nullptr,
         "one two three four"},
        {"address with a header behind it",
         {"a@x.com\r\nBcc: spy@y.com", "1@vtext.com\n", "S", ""},
         "a@x.comBcc: spy@y.com",
         "1@vtext.com",
         "S"},
        {"blanks and tabs", {"  a@x.com ", "", "\tS\t", ""}, "a@x.com", nullptr, "S"},
    };
    for (const auto& c : cases) {
        const auto [headers, body] =
            split(composeMessage("o@x.com\r\n", c.delivery, MailDate{kWhen, 0}, "x\r\n.com"));
        std::istringstream lines(headers);
        std::string line;
        std::vector<std::string> seen;
        while (std::getline(lines, line)) {
            ASSERT_TRUE(line.ends_with('\r')) << c.name;
            line.pop_back();
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << c.name;
            seen.push_back(line);
        }
        auto has = [&seen](const std::string& header) {
            return std::find(seen.begin(), seen.end(), header) != seen.end();
        };
        EXPECT_TRUE(has("From: o@x.com")) << c.name;
        EXPECT_TRUE(has(std::string("To: ") + c.to)) << c.name;
        if (c.cc != nullptr) {
            EXPECT_TRUE(has(std::string("Cc: ") + c.cc)) << c.name;
        }
        EXPECT_TRUE(has(std::string("Subject: ") + c.subject)) << c.name;
        EXPECT_FALSE(has("Bcc: all@x.com") || has("Bcc: spy@y.com")) << c.name;
        EXPECT_EQ(seen.size(), c.cc != nullptr ? 9u : 8u) << c.name;
    }
}

TEST(ComposeMessage, NonAsciiSubjectIsEncodedWords) {
    const std::string shortOne =
        split(composeMessage("o@x.com", Delivery{"a@x.com", "", "Re: 12 Caf\xE9 St", ""},
                             MailDate{kWhen, 0}, "x.com"))
            .first;
    EXPECT_NE(shortOne.find("\r\nSubject: =?UTF-8?B?UmU6IDEyIENhZsOpIFN0?=\r\n"),
              std::string::npos);

    // Long: several words on folded lines, none longer than 76, no character cut in two.
    std::string subject = "R\xE9: ";
    subject += std::string(40, '\xFC');
    subject += " \x80 end";
    const std::string headers =
        split(composeMessage("", Delivery{"a@x.com", "", subject, ""}, MailDate{kWhen, 0}, "x"))
            .first;
    static const std::regex kWord("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]+)\\?=");
    const size_t start = headers.find("Subject: ");
    const size_t end = headers.find("\r\nDate: ");
    const std::string field = headers.substr(start, end - start);
    std::string decoded;
    int words = 0;
    for (std::sregex_iterator it(field.begin(), field.end(), kWord), last; it != last; ++it) {
        const std::string piece = decodeBase64((*it)[1].str());
        EXPECT_NE(static_cast<unsigned char>(piece.front()) & 0xC0, 0x80u) << "split character";
        decoded += piece;
        EXPECT_LE((*it)[0].length(), 75u);
        ++words;
    }
    EXPECT_GT(words, 1);
    EXPECT_EQ(
        decoded, "R\xC3\xA9: " + [] {
            std::string u;
            for (int i = 0; i < 40; ++i) {
                u += "\xC3\xBC";
            }
            return u;
        }() + " \xE2\x82\xAC end");
    std::istringstream folded(field);
    for (std::string line; std::getline(folded, line);) {
        EXPECT_LE(line.size(), 77u); // with its CR
    }
}

TEST(ComposeMessage, BodyIsUtf8WithCrLfLines) {
    const struct {
        const char* name;
        std::string stored;
        std::string sent;
    } cases[] = {
        {"Windows-1252 letters",
         "Caf\xE9 \x93quoted\x94 \x80"
         "5\r\n",
         "Caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC"
         "5\r\n"},
        {"bare LF and CR", "one\ntwo\rthree", "one\r\ntwo\r\nthree\r\n"},
        {"blank lines kept", "a\r\n\r\n\r\nb\r\n", "a\r\n\r\n\r\nb\r\n"},
        {"leading dots left to the transport", ".\r\n..x\r\n", ".\r\n..x\r\n"},
        {"NUL dropped", std::string("a\0b", 3), "ab\r\n"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        const std::string message =
            composeMessage("o@x.com", Delivery{"a@x.com", "", "S", c.stored}, MailDate{}, "x");
        EXPECT_EQ(split(message).second, c.sent) << c.name;
        EXPECT_NE(message.find("Content-Transfer-Encoding: 8bit\r\n"), std::string::npos);
    }
}

TEST(ComposeMessage, LineTooLongForEightBitGoesQuotedPrintable) {
    const std::string longLine = std::string(600, 'a') + "=\xE9" + std::string(600, 'b');
    const std::string message = composeMessage(
        "o@x.com", Delivery{"a@x.com", "", "S", ".top\r\n" + longLine + " \r\n"}, MailDate{}, "x");
    auto [headers, body] = split(message);
    EXPECT_NE(headers.find("Content-Transfer-Encoding: quoted-printable\r\n"), std::string::npos);
    std::string decoded;
    std::istringstream lines(body);
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(line.ends_with('\r'));
        line.pop_back();
        EXPECT_LE(line.size(), 76u);
        const bool soft = line.ends_with('=');
        if (soft) {
            line.pop_back();
        }
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '=') {
                decoded += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += line[i];
            }
        }
        if (!soft) {
            decoded += "\n";
        }
    }
    EXPECT_EQ(decoded,
              ".top\n" + std::string(600, 'a') + "=\xC3\xA9" + std::string(600, 'b') + " \n");
}

} // namespace
