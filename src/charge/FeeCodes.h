#pragma once
// Fee codes of the pharmacy fee schedule built from the shape of a
// prescription: line counts, days, age class, after-hours class, the
// dispensing date and the request's flags. Building never looks anything up.

#include <array>
#include <cstdint>
#include <string>

namespace pelmora {

struct FeeShape {
    std::int16_t internal = 0;  // number of internal-drug lines
    std::int16_t external = 0;  // number of external-drug lines
    std::int16_t injection = 0; // number of injection lines
    std::int16_t days = 0;
    std::int16_t ageClass = 0;      // 1 none, 2 under 6, 3 65 and over
    std::int16_t afterHours = 0;    // 1 normal, 2 night, 3 holiday, 4 late night (child), 5 Saturday
    std::string date;               // YYYYMMDD, compared as text
    std::int16_t packAll = 0;       // 1: every line is a pack-unit drug
    std::int16_t variant = 0;       // 1: the variant codes ("001", "011", "021")
    std::int16_t narcotics = 0;     // 1: a narcotic is dispensed
    std::int16_t selfInjection = 0; // 1: self-administered injection
};

class FeeCodes {
  public:
    // Codes of pharmacy management, basic dispensing, medication guidance,
    // internal dispensing, external dispensing and drug management; "" where
    // the item does not apply.
    static std::array<std::string, 6> items(const FeeShape& s);
    // Whether the Saturday-morning surcharges apply at all.
    static bool saturday(const FeeShape& s);
    // Saturday codes of basic dispensing, guidance, internal and external dispensing.
    static std::array<std::string, 4> saturdayItems(const FeeShape& s);

    static std::string ageDigit(std::int16_t ageClass);
    static std::string afterHoursSuffix(const FeeShape& s);
    // A code ending in "000" drops it: "Z2000000" is billed as "Z2000".
    static std::string shorten(const std::string& code);

  private:
    static std::string internalCode(const FeeShape& s, const std::string& suffix);
    static std::string externalCode(const FeeShape& s, const std::string& suffix);
    static std::string drugManagementCode(const FeeShape& s);
};

} // namespace pelmora
