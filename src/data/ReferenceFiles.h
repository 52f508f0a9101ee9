#pragma once
// Where the six reference files and the link database live under an
// installation root, in the order they are always handled, and the tables
// and columns each file holds. Pelmora only reads these files; the schema
// here is what the generator writes and what the tests build.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace pelmora {

class SqliteConnection;

class ReferenceFiles {
  public:
    static constexpr std::size_t kCount = 6;
    // Indexes of the files in names().
    static constexpr std::size_t kFee = 0, kDrug = 1, kHoliday = 2, kHosp = 3, kSpecial = 4, kPack = 5;
    // 심평원수 (fee schedule), 심평원약 (drug prices and the notice date),
    // 공휴일, 병원종병, 특정기호, 팩단위약.
    static const std::array<const char*, kCount>& names();

    // <root>/TX60/SubPrg
    static std::filesystem::path folder(const std::filesystem::path& root);
    static std::filesystem::path file(const std::filesystem::path& root, std::size_t index);
    // <root>/Data and <root>/Data/Pelmora.db
    static std::filesystem::path dataFolder(const std::filesystem::path& root);
    static std::filesystem::path linkDatabase(const std::filesystem::path& root);

    // CREATE TABLE statements of the tables the program reads from file
    // `index` (several statements for the drug file). Money columns are
    // declared MONEY so they read back as exact money.
    static std::string schema(std::size_t index);
    // Creates the tables of file `index` on an empty database.
    static void createSchema(SqliteConnection& db, std::size_t index);

    // The tables and columns of file `index` that the lookups read: a file
    // lacking one of them cannot serve as reference data.
    struct Table {
        std::string name;
        std::vector<std::string> columns;
    };
    static const std::vector<Table>& required(std::size_t index);
};

} // namespace pelmora
