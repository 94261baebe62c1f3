#include "sample_data.h"

#include "directory_files.h"

#include <algorithm>
#include <cstdio>

namespace qm::sample {

namespace {

constexpr const char* kCarriers[] = {"AT&T", "Sprint", "Verizon", "T-Mobile"};

struct CompanySeed {
    const char* firm;
    const char* city;
};
constexpr CompanySeed kCompanies[] = {{"Keystone Abstract", "Media"},
                                      {"Liberty Land Title", "Westfield"},
                                      {"Harbor Point Title Agency", "Oceanport"},
                                      {"Colonial Settlement Co.", "Kingston"},
                                      {"Meridian Title Services", "Springfield"},
                                      {"Oak Ridge Abstract", "Oakdale"},
                                      {"Summit Title Group", "Brookfield"},
                                      {"Bayside Title & Escrow", "Lakewood"},
                                      {"Heritage Land Services", "Millbrook"},
                                      {"Crossroads Title Agency", "Fairview"},
                                      {"Pinnacle Abstract", "Greenville"},
                                      {"Northgate Title", "Northvale"}};

std::string lowerSlug(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z')
            out += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += c;
    }
    return out;
}

// Initials of the words, upper case; never "QM", which would count as a generated number.
std::string prefixOf(std::string_view name) {
    std::string out;
    bool wordStart = true;
    for (char c : name) {
        if (wordStart && c >= 'A' && c <= 'Z')
            out += c;
        wordStart = c == ' ' || c == '-';
    }
    if (out.empty() || out.starts_with("QM"))
        out.insert(out.begin(), 'X');
    out.resize(std::min<size_t>(out.size(), 4));
    return out;
}

std::string phone(Random& random, int area) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "(%03d) 555-%04d", area, random.between(100, 9999));
    return buf;
}

// Companies sit in New Jersey; people live in the demo's own state, Connecticut.
std::string cityStateZip(Random& random, std::string_view city, bool inDemoState = false) {
    char zip[8];
    std::snprintf(zip, sizeof zip, "%05d",
                  inDemoState ? random.between(6001, 6999) : random.between(7001, 8999));
    return std::string(city) + (inDemoState ? ", CT " : ", NJ ") + zip;
}

std::string personName(size_t index) {
    return std::string(kFirstNames[(index * 7 + 3) % std::size(kFirstNames)]) + " " +
           std::string(kLastNames[index % std::size(kLastNames)]);
}

std::string titleCase(std::string_view upper) {
    std::string out(upper);
    bool wordStart = true;
    for (char& c : out) {
        if (!wordStart && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        wordStart = c == ' ';
    }
    return out;
}

// A few customers pay their own fees for some services.
std::vector<std::pair<std::string, double>> customRatesFor(Random& random) {
    std::vector<std::pair<std::string, double>> out;
    for (const Service& s : kServices) {
        if (random.percent(35))
            out.emplace_back(s.code, s.fee >= 30 ? s.fee - 5 * random.between(1, 4) : s.fee + 2.5);
    }
    if (out.empty())
        out.emplace_back(kServices[0].code, kServices[0].fee - 15);
    return out;
}

} // namespace

// One draw per statement: the order of evaluation inside an expression is unspecified, and the
// same seed must give the same folder with any compiler.
std::string streetAddress(Random& random) {
    std::string out = std::to_string(random.between(1, 2400)) + " ";
    out += random.pick(kStreets);
    out += " ";
    out += random.pick(kStreetKinds);
    return out;
}

Directory makeDirectory(Random& random) {
    Directory dir;
    size_t nextId = 1;
    for (const CompanySeed& seed : kCompanies) {
        Customer c;
        c.id = nextId++;
        c.rateName = seed.firm;
        c.listText = std::string(seed.firm) + " - " + seed.city;
        c.numberPrefix = prefixOf(seed.firm);
        const std::string slug = lowerSlug(seed.firm);
        const DirectoryFields fields = {
            seed.firm,
            streetAddress(random),
            random.percent(40) ? "Suite " + std::to_string(random.between(1, 4) * 100) : "",
            cityStateZip(random, seed.city),
            random.percent(80) ? phone(random, 856) : "",
            phone(random, 856),
            "orders@" + slug + ".example.com",
            random.percent(50) ? "V-" + std::to_string(random.between(1000, 99999)) : ""};
        dir.companyLines.push_back(joinDirectoryLine(fields));
        dir.companies.push_back(std::move(c));
    }
    constexpr const char* kFirmForms[] = {"%s & Associates", "Law Offices of %s",
                                          "%s, Cole & Reyes, LLC", "%s Law Group, P.C."};
    for (size_t i = 0; i < 24; ++i) {
        const std::string attorney = personName(i);
        const std::string last(kLastNames[i % std::size(kLastNames)]);
        std::string firm = attorney; // an attorney without a firm goes by the own name
        if (i % 3 != 2) {
            char buf[96];
            std::snprintf(buf, sizeof buf, kFirmForms[i % std::size(kFirmForms)], last.c_str());
            firm = buf;
        }
        Customer c;
        c.id = nextId++;
        c.attorney = true;
        c.rateName = firm;
        c.listText = firm + " - " + attorney;
        c.numberPrefix = prefixOf(last);
        const std::string city = titleCase(random.pick(kTowns));
        const DirectoryFields fields = {
            firm,
            attorney,
            streetAddress(random),
            random.percent(30) ? "Floor " + std::to_string(random.between(2, 9)) : "",
            cityStateZip(random, city, true),
            random.percent(70) ? phone(random, 609) : "",
            phone(random, 609),
            lowerSlug(attorney) + "@" + lowerSlug(firm).substr(0, 16) + ".example.net"};
        dir.attorneyLines.push_back(joinDirectoryLine(fields));
        dir.attorneys.push_back(std::move(c));
    }
    for (size_t i = 0; i < 8; ++i) {
        Searcher s{personName(i + 40)};
        const std::string city = titleCase(random.pick(kTowns));
        const bool homeAddress = random.percent(60);
        const DirectoryFields fields = {s.name,
                                        homeAddress ? streetAddress(random) : "",
                                        "",
                                        homeAddress ? cityStateZip(random, city, true) : "",
                                        random.percent(50) ? phone(random, 732) : "",
                                        phone(random, 732),
                                        kCarriers[i % std::size(kCarriers)],
                                        lowerSlug(s.name) + "@example.org"};
        dir.searcherLines.push_back(joinDirectoryLine(fields));
        dir.searchers.push_back(std::move(s));
    }
    // Custom rates: two title companies, one firm and one attorney without a firm.
    for (Customer* c : {&dir.companies[0], &dir.companies[4], &dir.attorneys[0], &dir.attorneys[2]})
        c->customRates = customRatesFor(random);
    // Bill-to overrides; a changed address is a second line for the key, the later one wins.
    const Customer& first = dir.companies[0];
    dir.billingLines = {
        first.listText + "_" + first.rateName + "_Accounts Payable_PO Box 118_Media, NJ 08011",
        dir.companies[2].listText +
            "_Harbor Point Title_Attn: Closing Dept._400 Ocean Ave_Oceanport, NJ 07757",
        dir.attorneys[1].listText + "_" + dir.attorneys[1].rateName +
            "_12 Court Plaza_Kingston, NJ 08528_",
        first.listText + "_" + first.rateName + "_Accounts Payable_PO Box 2250_Media, NJ 08011"};
    return dir;
}

} // namespace qm::sample
