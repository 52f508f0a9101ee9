#include "data/DbTools.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace pelmora;

namespace {

TEST(DbTools, FindsTablesAndFieldsAsTheEngineResolvesNames) {
    auto cn = SqliteConnection::memory();
    cn->execute("CREATE TABLE Main(vcPreCd varchar(10), vcPatNm varchar(20))");
    cn->execute("CREATE VIEW 조제목록 AS SELECT vcPreCd FROM Main");
    struct Case {
        const char* table;
        const char* field;
        bool table_found;
        bool field_found;
    } cases[] = {
        {"Main", "vcPreCd", true, true},     {"MAIN", "VCPATNM", true, true},
        {"main", "vcPatCell", true, false},  {"Sub", "vcPreCd", false, false},
        {"조제목록", "vcPreCd", true, true}, {"Main'--", "x", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.field);
        EXPECT_EQ(TableFind(*cn, c.table), c.table_found);
        EXPECT_EQ(FieldFind(*cn, c.table, c.field), c.field_found);
    }
}

TEST(DbTools, ReportsTheInstalledEngineVersion) {
    EXPECT_EQ(DBMdecVersion(), SQLITE_VERSION);
}

} // namespace
