#pragma once
// A fee schedule of realistic size for benchmarks and fuzzing: every code the
// engine can build, each with one price row per year from 2010 to 2024.

#include "charge/FeeCodes.h"
#include "data/SqliteConnection.h"

#include <set>
#include <string>

namespace pelmora::test {

inline std::set<std::string> everyFeeCode() {
    std::set<std::string> codes;
    const char* dates[] = {"20100101", "20110801", "20130301", "20140101", "20180101"};
    for (const char* date : dates)
        for (std::int16_t age = 1; age <= 3; ++age)
            for (std::int16_t after = 1; after <= 5; ++after)
                for (std::int16_t variant = 1; variant <= 2; ++variant)
                    for (std::int16_t days = 0; days <= 95; ++days)
                        for (int shape = 0; shape < 8; ++shape) {
                            FeeShape s;
                            s.internal = shape & 1;
                            s.external = (shape >> 1) & 1;
                            s.injection = (shape >> 2) & 1;
                            s.days = days;
                            s.ageClass = age;
                            s.afterHours = after;
                            s.date = date;
                            s.variant = variant;
                            for (std::int16_t flags = 0; flags < 8; ++flags) {
                                s.packAll = flags & 1;
                                s.narcotics = (flags >> 1) & 1;
                                s.selfInjection = (flags >> 2) & 1;
                                for (const auto& c : FeeCodes::items(s))
                                    if (!c.empty()) codes.insert(c);
                                for (const auto& c : FeeCodes::saturdayItems(s))
                                    if (!c.empty()) codes.insert(c);
                            }
                        }
    return codes;
}

// Creates DBF심평원수 with its lookup index and fills it.
inline void writeFeeSchedule(SqliteConnection& db) {
    db.executeScript("CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT);"
                     "CREATE INDEX DBF심평원수_코드 ON DBF심평원수 (수가코드, 수가일자)");
    db.begin();
    int n = 0;
    for (const auto& code : everyFeeCode()) {
        ++n;
        for (int year = 2010; year <= 2024; ++year)
            db.execute("INSERT INTO DBF심평원수 VALUES (?, ?, ?, ?)",
                       {code, code + " 수가", static_cast<double>(100 + n * 10 + (year - 2010) * 20),
                        std::to_string(year) + "0101"});
    }
    db.commit();
}

} // namespace pelmora::test
