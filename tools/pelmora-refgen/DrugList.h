#pragma once
// The drug price list of the demo data: drugs with Korean names ending in
// their route, makers, 9-digit codes, every coverage class, several price
// periods each, pack-unit drugs, narcotics, and the 50 "J" codes of the
// pricing window's twin table next to their twins.

#include "Random.h"

#include <array>
#include <cstdint>
#include <string>

namespace pelmora {
class SqliteConnection;
}

namespace pelmora::refgen {

class DrugList {
  public:
    static constexpr int kMaxDrugs = 140000;

    // drugDb holds DBF심평원약 and 고시적용일, packDb 팩단위약. Each drug gets
    // `years` yearly price periods ending with the last fee-schedule year.
    // Returns the number of price rows written.
    static long long write(SqliteConnection& drugDb, SqliteConnection& packDb, int drugs, int years,
                           unsigned long long seed);

    static const std::array<const char*, 50>& twinCodes();
};

} // namespace pelmora::refgen
