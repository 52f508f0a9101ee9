#pragma once
// The local prescription store: opening or creating the file, bringing its
// tables to the current schema version, and the report every record writer
// gives when a write fails.

#include "SqliteConnection.h"
#include "StoreProblem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelmora {

// The schema version this program writes and expects.
inline constexpr const char* kStoreVersion = "003";

// Opens the store at path, creating it when the file is missing or empty, and
// brings it to the current version in one transaction. On success cn holds
// the open connection; on failure cn is empty and the file is left as it was.
// A failing schema statement (a column that already exists) is skipped; any
// other failure, a file that is not a store, a write-protected file or folder,
// or tables that still lack a column afterwards, returns false. The report,
// when given, says why, and whether the file's permissions were tightened.
bool OpenLocalStore(std::unique_ptr<SqliteConnection>& cn, const std::string& path,
                    StoreOpenReport* report = nullptr);

// The columns of the current version, in table order, as "name type" pieces.
struct StoreColumn {
    const char* name;
    const char* type;
};
const std::vector<StoreColumn>& MainColumns();
const std::vector<StoreColumn>& SubColumns();
// What version 003 adds at the end of Main and Sub, and its new tables
// Charge (what was charged, one row per prescription) and ChargeItem (its
// items); besides them ReceiptSeq (vcYear, iLastNo) and NoReport (vcPatJumNo).
const std::vector<StoreColumn>& MainColumns003();
const std::vector<StoreColumn>& SubColumns003();
const std::vector<StoreColumn>& ChargeColumns();
const std::vector<StoreColumn>& ChargeItemColumns();

// Called after every schema statement with its running number from 1, whether
// it ran or was skipped. Lets a test stop the process half-way through a
// creation or migration; nullptr removes it.
void SetSchemaStepHook(std::function<void(int step)> hook);

// A record writer could not write: the writers' own box, then the shared
// error report with the writer's tag ("clsMain:Update", "clsSub:Update").
void ShowRecordWriteError(const std::string& tag, std::int32_t number, const std::string& description);

} // namespace pelmora
