#pragma once
// Care institutions of the demo data: 8-digit numbers (region, kind, serial;
// public-health institutions have "7" as the third digit), class, address
// and patient share rate, some with a change of class over the years; and
// the special codes with their versions over dates.

namespace pelmora {
class SqliteConnection;
}

namespace pelmora::refgen {

class Institutions {
  public:
    static void write(SqliteConnection& db, int count, unsigned long long seed);
    static void writeSpecialCodes(SqliteConnection& db);
};

} // namespace pelmora::refgen
