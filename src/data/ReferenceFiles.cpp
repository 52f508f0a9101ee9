#include "ReferenceFiles.h"

#include "SqliteConnection.h"

namespace pelmora {

const std::array<const char*, ReferenceFiles::kCount>& ReferenceFiles::names() {
    static const std::array<const char*, kCount> n = {"심평원수.db", "심평원약.db", "공휴일.db",
                                                      "병원종병.db", "특정기호.db", "팩단위약.db"};
    return n;
}

std::filesystem::path ReferenceFiles::folder(const std::filesystem::path& root) {
    return root / "TX60" / "SubPrg";
}

std::filesystem::path ReferenceFiles::file(const std::filesystem::path& root, std::size_t index) {
    return folder(root) / names().at(index);
}

std::filesystem::path ReferenceFiles::dataFolder(const std::filesystem::path& root) {
    return root / "Data";
}

std::filesystem::path ReferenceFiles::linkDatabase(const std::filesystem::path& root) {
    return dataFolder(root) / "Pelmora.db";
}

std::string ReferenceFiles::schema(std::size_t index) {
    switch (index) {
    case 0:
        return "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 MONEY, 수가일자 TEXT);";
    case 1:
        return "CREATE TABLE DBF심평원약 (표준코드 TEXT, 코드 TEXT, 약품명 TEXT, 업소명 TEXT, 규격단위 TEXT,"
               " 급여구분 TEXT, 상한가 MONEY, 분류번호 TEXT, 주성분코드 TEXT, 임의조제 TEXT,"
               " 적용시작일 TEXT, 적용종료일 TEXT);"
               "CREATE TABLE 고시적용일 (고시적용일 TEXT);";
    case 2:
        return "CREATE TABLE 공휴일 (공휴일자 TEXT, 설명 TEXT);";
    case 3:
        return "CREATE TABLE 병원종병 (요양기관 TEXT, 주소 TEXT, 요양종별 TEXT, 본인부담률 INTEGER,"
               " 적용시작일 TEXT, 적용종료일 TEXT);";
    case 4:
        return "CREATE TABLE 특정기호 (특정기호 TEXT, 대상 TEXT, 특례적용 INTEGER, 적용일자 TEXT);";
    case 5:
        return "CREATE TABLE 팩단위약 (코드 TEXT);";
    default:
        return {};
    }
}

void ReferenceFiles::createSchema(SqliteConnection& db, std::size_t index) {
    db.executeScript(schema(index));
}

// Read back from the schema itself, so the two never disagree.
const std::vector<ReferenceFiles::Table>& ReferenceFiles::required(std::size_t index) {
    static const std::array<std::vector<Table>, kCount> all = [] {
        std::array<std::vector<Table>, kCount> out;
        for (std::size_t i = 0; i < kCount; ++i) {
            auto db = SqliteConnection::memory();
            createSchema(*db, i);
            for (auto t = db->query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid");
                 !t.eof(); t.moveNext()) {
                Table table{t.field(0).toText(), {}};
                for (auto c = db->query("SELECT name FROM pragma_table_info(?)", {Variant(table.name)});
                     !c.eof(); c.moveNext())
                    table.columns.push_back(c.field(0).toText());
                out[i].push_back(std::move(table));
            }
        }
        return out;
    }();
    return all.at(index);
}

} // namespace pelmora
