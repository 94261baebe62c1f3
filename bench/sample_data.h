#pragma once
// The reference data of generated folders: names, addresses, services and the directory that
// orders are made for. ASCII only, no "_" (the directory separator) and no double quote.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::sample {

// mt19937's sequence is fixed by the standard but the library's distributions are not, so the
// few shapes needed here are taken from the raw numbers.
class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_()) % n; }
    int between(int low, int high) {
        return low + static_cast<int>(below(static_cast<std::uint32_t>(high - low + 1)));
    }
    bool percent(std::uint32_t p) { return below(100) < p; }
    template <typename T, size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<std::uint32_t>(N))];
    }

  private:
    std::mt19937 engine_;
};

inline constexpr std::string_view kFirstNames[] = {
    "James",  "Mary",  "Robert", "Linda", "Michael", "Susan",  "David", "Karen",
    "Joseph", "Nancy", "Thomas", "Lisa",  "Daniel",  "Carol",  "Paul",  "Donna",
    "Mark",   "Ruth",  "Steven", "Helen", "Kevin",   "Sharon", "Brian", "Diane"};
inline constexpr std::string_view kLastNames[] = {
    "Abernathy", "Baxter",     "Castellano", "Donnelly",  "Eckert",   "Fairbanks", "Galloway",
    "Hargrove",  "Iverson",    "Jankowski",  "Kessler",   "Lombardi", "Mahoney",   "Nakamura",
    "Ostrowski", "Pellegrino", "Quinlan",    "Rourke",    "Sorensen", "Trautman",  "Ulrich",
    "Vasquez",   "Whitcomb",   "Yablonski",  "Zielinski", "Brennan",  "Carmody",   "DeLuca"};
inline constexpr std::string_view kStreets[] = {
    "Maple",     "Oak",      "Cedar",    "Elm",       "Park",   "Washington",  "Lake",
    "Hill",      "Walnut",   "Spring",   "Ridge",     "Church", "Mill",        "Orchard",
    "Highland",  "Franklin", "Chestnut", "Sycamore",  "Meadow", "Prospect",    "Valley",
    "Summit",    "Willow",   "Sunset",   "Railroad",  "Forest", "Birch",       "Grove",
    "Jefferson", "Lincoln",  "Madison",  "Riverside", "Harbor", "Country Club"};
inline constexpr std::string_view kStreetKinds[] = {"St", "Ave", "Rd",  "Ln",   "Dr",
                                                    "Ct", "Pl",  "Way", "Blvd", "Ter"};
// Towns of the program's default state, so every demo order's town is in the town list.
inline constexpr std::string_view kTowns[] = {
    "HARTFORD",    "WEST HARTFORD", "NEW HAVEN",  "WEST HAVEN",  "NEW BRITAIN",  "BRISTOL",
    "MERIDEN",     "WALLINGFORD",   "MIDDLETOWN", "GLASTONBURY", "MANCHESTER",   "ENFIELD",
    "SOUTHINGTON", "TORRINGTON",    "WATERBURY",  "DANBURY",     "STAMFORD",     "NORWALK",
    "FAIRFIELD",   "MILFORD",       "ORANGE",     "WOODBRIDGE",  "OLD SAYBROOK", "WINDSOR LOCKS"};
inline constexpr std::string_view kUsers[] = {"kmorgan", "Linda Marsh", "Tom R Bell", "office",
                                              "Patricia Delaney-Ruiz"};
inline constexpr std::string_view kNoteTexts[] = {"Spoke with attorney, survey to follow",
                                                  "Customer asked for rush, closing moved up",
                                                  "Owner name corrected per deed",
                                                  "Tax cert requested from town",
                                                  "Judgments and liens clear",
                                                  "Waiting on municipal return",
                                                  "Copies faxed to title co.",
                                                  "Left message for searcher",
                                                  "Customer confirmed second owner, Lot 12 Block 4",
                                                  "Prior policy received from title co.",
                                                  "Open mortgage found, payoff letter requested",
                                                  "Town clerk out until Monday"};
inline constexpr std::string_view kMessageTexts[] = {"Please confirm receipt of this order",
                                                     "Please call the office about this file",
                                                     "Need deeds back to 1985, copies please",
                                                     "Closing moved up, need by Thursday",
                                                     "Check for open permits",
                                                     "Owner has a second mortgage, get copy",
                                                     "Add the adjoining lot to the search"};
inline constexpr const char* kBillInAdvanceNote = "Bill in advance pending completion";

struct Service {
    const char* code;
    double fee;
};
inline constexpr Service kServices[] = {{"R.Full", 150},
                                        {"R.Current Owner", 95},
                                        {"R.Two Owner", 125},
                                        {"R.Bringdown", 45},
                                        {"R-2 Ownr", 110},
                                        {"C.Commercial", 350},
                                        {"C.Full Commercial", 475},
                                        {"M.Tax Search", 35},
                                        {"M.Municipal Liens", 60},
                                        {"M.Zoning", 42.5},
                                        {"M.Flood Cert", 12.5},
                                        {"M.Page Copy", .5}};

struct Customer {
    size_t id = 0;            // one number per customer, used in statement numbers
    std::string listText;     // as the pick list shows it; stored in the order
    std::string rateName;     // the directory name, which names its rate file
    std::string numberPrefix; // of the customer's own file numbers
    bool attorney = false;
    std::vector<std::pair<std::string, double>> customRates;
};

struct Searcher {
    std::string name;
};

struct Directory {
    std::vector<Customer> companies;
    std::vector<Customer> attorneys;
    std::vector<Searcher> searchers;
    std::vector<std::string> companyLines, attorneyLines, searcherLines;
    std::vector<std::string> billingLines;
};

// One street address: number, street and kind of street.
std::string streetAddress(Random& random);

// Title companies, attorneys and searchers with their directory lines, a few customers with
// custom rates, and billing overrides for some of them.
Directory makeDirectory(Random& random);

} // namespace qm::sample
