#pragma once
// Taking a national drug price list file into 심평원약.db of a root. The
// list states the products and ceiling prices from its date on: a product
// whose row changed gets a new row from that date and its old row ends the
// day before; a product no longer listed has its row end the day before;
// the rest is left as it is. The date joins 고시적용일. The file is updated
// as a copy renamed over it (ReferenceFileWriter), so a running program
// reads either the old list or the new one; a list already taken in leaves
// the file untouched.

#include "DrugListFile.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pelmora {

struct DrugImportOptions {
    std::string date;   // YYYYMMDD; empty takes the date from the file or sheet name
    bool force = false; // take in a list older than the last one
};

struct DrugImportSummary {
    std::string date;         // the list's effective date
    std::string previousDate; // the last list taken in before, "" on a new root
    long long products = 0;   // products read from the file
    long long added = 0, changed = 0, delisted = 0, unchanged = 0;
    long long groupRows = 0;          // ingredient-group rows and rows without a code
    std::vector<SkippedDrug> skipped; // "산정불가", bad codes, duplicates
    bool written = false;             // false: the file held this list already
};

class DrugListImport {
  public:
    // The share done in percent; false cancels (ImportError Cancelled, the
    // file as it was).
    using Progress = std::function<bool(int percent)>;

    // Raises ImportError: BadFile, NoDate, OlderList (unless forced), NoRoot,
    // Busy, Cancelled, Failed. The reference file is then as it was.
    static DrugImportSummary run(const std::filesystem::path& root, const std::filesystem::path& file,
                                 const DrugImportOptions& options, const Progress& progress = {});

    // The date of the last list taken in (the latest 고시적용일), "" when none.
    static std::string lastDate(const std::filesystem::path& root);
};

} // namespace pelmora
