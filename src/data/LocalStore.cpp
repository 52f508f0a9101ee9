#include "LocalStore.h"

#include "DbTools.h"
#include "StoreProblem.h"
#include "util/Messages.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pelmora {

namespace fs = std::filesystem;

const std::vector<StoreColumn>& MainColumns() {
    static const std::vector<StoreColumn> c = {
        {"vcPreCd", "varchar(10) NOT NULL"},
        {"iMatSn", "smallint"},
        {"vcVerSn", "varchar(3)"},
        {"vcPreDt", "varchar(8)"},
        {"vcPreTm", "varchar(6)"},
        {"mMoneyPr", "money"},
        {"vcBonSn", "varchar(4)"},
        {"vcUpDt", "varchar(20)"},
        {"vcHospCd", "varchar(20)"},
        {"vcHospNm", "varchar(50)"},
        {"vcHospAddr", "varchar(100)"},
        {"vcHospTel", "varchar(20)"},
        {"vcHospFax", "varchar(20)"},
        {"vcHospEmail", "varchar(50)"},
        {"vcHospBizNo", "varchar(16)"},
        {"vcDocNm", "varchar(20)"},
        {"vcDocCd", "varchar(20)"},
        {"vcPatNm", "varchar(20)"},
        {"vcPatJumNo", "varchar(20)"},
        {"vcPatCell", "varchar(20)"},
        {"iInsSn", "smallint"},
        {"vcInsNo", "varchar(20)"},
        {"vcInsCd", "varchar(20)"},
        {"vcInsNm", "varchar(50)"},
        {"vcBohunNo", "varchar(20)"},
        {"vcPatManRelSn", "varchar(1)"},
        {"vcPatManNm", "varchar(20)"},
        {"vcPatManJumNo", "varchar(20)"},
        {"vcPatManAddr", "varchar(100)"},
        {"vcPatManPost", "varchar(10)"},
        {"vcPatManTel", "varchar(20)"},
        {"vcDisCd1", "varchar(6)"},
        {"vcDisCd2", "varchar(6)"},
        {"vcPubDtNo", "varchar(20)"},
        {"vcIndDt", "varchar(8)"},
        {"vcSpeCd1", "varchar(4)"},
        {"vcSpeCd2", "varchar(4)"},
        {"iLimDt", "int"},
        {"vcUsageMm", "varchar(100)"},
        {"vcMm", "varchar(100)"},
    };
    return c;
}

const std::vector<StoreColumn>& SubColumns() {
    static const std::vector<StoreColumn> c = {
        {"vcPreCd", "varchar(10) NOT NULL"},
        {"vcRxdSn", "varchar(3) NOT NULL"},
        {"mRxdPr", "money"},
        {"iRxdInsSn", "smallint"},
        {"iRxdTaxSn", "smallint"},
        {"vcDrugCd", "varchar(10)"},
        {"vcDrugNm", "varchar(100)"},
        {"fQty", "float"},
        {"iQtyCnt", "int"},
        {"iQtyDay", "int"},
        {"vcRxdUsageCd", "varchar(6)"},
        {"vcRxdUsageNm", "varchar(100)"},
    };
    return c;
}

// Version 003 keeps every column of 002 and adds, at the end of the tables:
// the header's pricing choices that are not derived again on reopening, the
// line cells that were derived again from the price list until then, and the
// tables of what was charged. A reader of 002 sees its columns unchanged.
const std::vector<StoreColumn>& MainColumns003() {
    static const std::vector<StoreColumn> c = {
        {"iTimeSn", "smallint"},    // after-hours class index as priced
        {"iAgeSn", "smallint"},     // age class index as priced
        {"iSelfInj", "smallint"},   // 자가투여주사 ticked
        {"iNoBiboFee", "smallint"}, // 비급여 조제료 계산안함 ticked
        {"vcSpeRate1", "varchar(3)"}, // patient share rate of special code 1 as priced
        {"vcSpeRate2", "varchar(3)"}, // patient share rate of special code 2 as priced
    };
    return c;
}

const std::vector<StoreColumn>& SubColumns003() {
    static const std::vector<StoreColumn> c = {
        {"fQtyTot", "float"},          // total quantity as priced (pack lines rounded)
        {"vcDrugUnit", "varchar(20)"}, // package unit
        {"iDrugPac", "smallint"},      // 1 when sold in pack units
        {"mDrugMaxPr", "money"},       // maximum price per unit, 0 for non-covered lines
        {"mPriceDiff", "money"},       // price difference credit
        {"vcDrugRnd", "varchar(20)"},  // substitution and narcotics flags of the line
    };
    return c;
}

// What was charged: one row per prescription priced at saving, and its items.
const std::vector<StoreColumn>& ChargeColumns() {
    static const std::vector<StoreColumn> c = {
        {"vcPreCd", "varchar(10) NOT NULL"},
        {"vcChgVer", "varchar(3)"},      // layout of these figures, "003"
        {"vcChgDt", "varchar(20)"},      // moment of pricing, digits only
        {"iInsSn", "smallint"},          // insurance class index as priced
        {"iTimeSn", "smallint"},         // after-hours class index (night, holiday …)
        {"iAgeSn", "smallint"},          // age class index
        {"iInsDay", "smallint"},         // covered days
        {"iBiboDay", "smallint"},        // non-covered days
        {"mTotal", "money"},             // 약제비총액 = mBonin + mInsurer + mBibo
        {"mBonin", "money"},             // ① 본인부담금
        {"mInsurer", "money"},           // ② 보험자부담금 = mGongdan + mBohun + mJiwon
        {"mGongdan", "money"},           // the insurer's claim
        {"mBohun", "money"},             // the veterans' agency's claim
        {"mJiwon", "money"},             // the support fund's part
        {"mBibo", "money"},              // ③ 비급여, 전액본인부담 included
        {"mFull", "money"},              // the 전액본인부담 (100/100) part of ③
        {"mCollect", "money"},           // 받을금액 = mBonin + mBibo
        {"mCard", "money"},              // collected by card
        {"mCashRcpt", "money"},          // collected as cash with a cash receipt
        {"mCash", "money"},              // collected as plain cash
        {"vcCashIdNo", "varchar(20)"},   // 현금영수증 신분확인번호
        {"vcCashApprNo", "varchar(20)"}, // 현금승인번호
        {"vcRcptNo", "varchar(20)"},     // receipt number, given at the first printing
        {"iRcptCnt", "int"},             // receipts printed so far
        {"iChgErr", "smallint"},         // 1: saved although its pricing reported an error
        {"iRepriced", "smallint"},       // 1: priced again later, nothing kept at saving
        {"vcPharmNm", "varchar(20)"},    // 조제약사
    };
    return c;
}

const std::vector<StoreColumn>& ChargeItemColumns() {
    static const std::vector<StoreColumn> c = {
        {"vcPreCd", "varchar(10) NOT NULL"},
        {"vcItemSn", "varchar(3) NOT NULL"}, // "001" upwards in printing order
        {"vcItemKind", "varchar(10)"},       // FEE1..6, SAT1..4, DRUG, DIFF, ADJ, FLAT
        {"vcItemCd", "varchar(20)"},
        {"vcItemNm", "varchar(100)"},
        {"mItemPr", "money"},  // amount of the item
        {"mBonin", "money"},   // its patient share
        {"mGongdan", "money"}, // its insurer share
        {"mFull", "money"},    // its 전액본인부담 part
        {"mBibo", "money"},    // its non-covered part
        {"mUnitPr", "money"},  // a drug line's unit price
        {"fQty", "float"},     // a drug line's dose,
        {"iQtyCnt", "int"},    // times a day
        {"iQtyDay", "int"},    // and days
        {"fQtyTot", "float"},  // its total quantity as priced
    };
    return c;
}

namespace {

std::function<void(int)>& stepHook() {
    static std::function<void(int)> hook;
    return hook;
}

std::string createTable(const char* table, const std::vector<StoreColumn>& columns, const char* key) {
    std::string sql = std::string("CREATE TABLE ") + table + "(";
    for (const auto& c : columns)
        sql += std::string(c.name) + " " + c.type + ",";
    return sql + "Primary Key(" + key + ")" + ")";
}

const std::string& createMain() {
    static const std::string s = createTable("Main", MainColumns(), "vcPreCd");
    return s;
}
const std::string& createSub() {
    static const std::string s = createTable("Sub", SubColumns(), "vcPreCd, vcRxdSn");
    return s;
}
const char* const kCreateDbver = "CREATE TABLE Dbver(vcVerSn varchar(3) NOT NULL,Primary Key(vcVerSn))";
const char* const kInsertVersion = "INSERT INTO Dbver(vcVerSn) VALUES('002')";
const char* const kUpdateVersion = "UPDATE Dbver SET vcVerSn='002'";
const char* const kUpdateVersion003 = "UPDATE Dbver SET vcVerSn='003'";
const char* const kAddHospBizNo = "ALTER TABLE Main ADD vcHospBizNo varchar(16)";
const char* const kAddPatCell = "ALTER TABLE Main ADD vcPatCell varchar(20)";

// Runs the schema statements of one creation or migration, skipping those
// that fail as statements (the column is there already, the table exists).
class SchemaRun {
  public:
    explicit SchemaRun(SqliteConnection& cn) : cn_(cn) {}

    void run(const std::string& sql) {
        try {
            cn_.execute(sql);
        } catch (const DbError& e) {
            if (!e.isStatementFailure()) throw;
        }
        if (stepHook()) stepHook()(++step_);
    }
    // A query that fails as a statement reads as no rows, so the checks
    // after the migration decide.
    bool hasRow(const std::string& sql) {
        try {
            return !cn_.query(sql).eof();
        } catch (const DbError& e) {
            if (!e.isStatementFailure()) throw;
            return false;
        }
    }

  private:
    SqliteConnection& cn_;
    int step_ = 0;
};

std::set<std::string> columnNames(SqliteConnection& cn, const std::string& table) {
    std::set<std::string> names;
    auto rs = cn.query("SELECT lower(name) AS name FROM pragma_table_info(?)", {Variant(table)});
    for (; !rs.eof(); rs.moveNext())
        names.insert(rs.field("name").toText());
    return names;
}

std::string lowerName(std::string n) {
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return n;
}

bool hasAllColumns(SqliteConnection& cn, const std::string& table, const std::vector<StoreColumn>& columns) {
    auto have = columnNames(cn, table);
    return std::all_of(columns.begin(), columns.end(),
                       [&](const StoreColumn& c) { return have.count(lowerName(c.name)) > 0; });
}

void createTables(SchemaRun& s) {
    s.run(createMain());
    s.run(createSub());
    s.run(kCreateDbver);
    s.run(kInsertVersion);
}

// The statements that take a store from 002 to 003. Each one is skipped when
// what it adds is there already, so a store half-way between the two (never
// committed, but stamped by hand or by an older copy) still ends complete.
std::vector<std::string> statements003() {
    std::vector<std::string> v;
    for (const auto& c : MainColumns003())
        v.push_back(std::string("ALTER TABLE Main ADD ") + c.name + " " + c.type);
    for (const auto& c : SubColumns003())
        v.push_back(std::string("ALTER TABLE Sub ADD ") + c.name + " " + c.type);
    v.push_back(createTable("Charge", ChargeColumns(), "vcPreCd"));
    v.push_back(createTable("ChargeItem", ChargeItemColumns(), "vcPreCd, vcItemSn"));
    // The yearly sequence of receipt numbers.
    v.push_back("CREATE TABLE ReceiptSeq(vcYear varchar(4) NOT NULL,iLastNo int,Primary Key(vcYear))");
    // Patients who asked that their year's medical expenses not be reported.
    v.push_back(
        "CREATE TABLE NoReport(vcPatJumNo varchar(20) NOT NULL,vcUpDt varchar(20),Primary Key(vcPatJumNo))");
    // The day's and the year's totals read a range of dispensing dates.
    v.push_back("CREATE INDEX IF NOT EXISTS Main_vcPreDt ON Main(vcPreDt)");
    return v;
}

bool complete003(SqliteConnection& cn);

void upgrade003(SqliteConnection& cn, SchemaRun& s) {
    const bool older = s.hasRow("SELECT vcVerSn FROM Dbver WHERE vcVerSn < '003'");
    // Stamped 003 yet missing a piece (stamped by hand, or by a copy that
    // died between statements outside a transaction): the pieces are added.
    // Stamped later than 003: another program's store, used as it is.
    if (!older && (!s.hasRow("SELECT vcVerSn FROM Dbver WHERE vcVerSn = '003'") || complete003(cn))) return;
    for (const auto& sql : statements003())
        s.run(sql);
    // A store made while the tables of what was charged had fewer columns.
    for (const auto& [table, columns] :
         {std::pair{"Charge", &ChargeColumns()}, {"ChargeItem", &ChargeItemColumns()}}) {
        const auto have = columnNames(cn, table);
        for (const auto& c : *columns)
            if (!have.count(lowerName(c.name)))
                s.run(std::string("ALTER TABLE ") + table + " ADD " + c.name + " " + c.type);
    }
    if (older) s.run(kUpdateVersion003);
}

void migrate(SqliteConnection& cn, SchemaRun& s) {
    // An empty database is what a first start that died before its commit
    // leaves behind once its journal is rolled back: a new store.
    if (!s.hasRow("SELECT name FROM sqlite_master")) {
        createTables(s);
        upgrade003(cn, s);
        return;
    }

    if (!s.hasRow("SELECT name FROM sqlite_master WHERE type='table' AND name ='Dbver'")) {
        s.run(kCreateDbver);
        s.run(kAddHospBizNo);
        s.run(kAddPatCell);
        s.run(kInsertVersion);
    } else if (!s.hasRow("SELECT vcVerSn FROM Dbver")) {
        // A version table without its row was left by a migration that
        // stopped half-way: the store is still at version 001.
        s.run(kAddHospBizNo);
        s.run(kAddPatCell);
        s.run(kInsertVersion);
    } else if (s.hasRow("SELECT vcVerSn FROM Dbver WHERE vcVerSn < '002'")) {
        s.run(kAddHospBizNo);
        s.run(kAddPatCell);
        s.run(kUpdateVersion);
    } else if (TableFind(cn, "Main")) {
        // Stamped current, yet a half-finished migration may have left out the
        // columns of version 002: every insert would fail without them.
        if (!FieldFind(cn, "Main", "vcHospBizNo")) s.run(kAddHospBizNo);
        if (!FieldFind(cn, "Main", "vcPatCell")) s.run(kAddPatCell);
    }
    upgrade003(cn, s);
}

bool complete003(SqliteConnection& cn) {
    return hasAllColumns(cn, "Main", MainColumns003()) && hasAllColumns(cn, "Sub", SubColumns003()) &&
           hasAllColumns(cn, "Charge", ChargeColumns()) &&
           hasAllColumns(cn, "ChargeItem", ChargeItemColumns()) && TableFind(cn, "ReceiptSeq") &&
           TableFind(cn, "NoReport");
}

bool isCurrent(SqliteConnection& cn) {
    if (!hasAllColumns(cn, "Main", MainColumns()) || !hasAllColumns(cn, "Sub", SubColumns()) ||
        !FieldFind(cn, "Dbver", "vcVerSn") ||
        cn.query("SELECT vcVerSn FROM Dbver WHERE vcVerSn >= '002'").eof())
        return false;
    // A store stamped later than 003 is another program's; it is used as it is.
    if (cn.query("SELECT vcVerSn FROM Dbver WHERE vcVerSn = '003'").eof()) return true;
    return complete003(cn);
}

// A file nobody may write, or a folder where the journal cannot be made,
// would let the store open and then fail every save.
bool writable(const fs::path& file) {
    struct stat sb {};
    if (::stat(file.c_str(), &sb) == 0 && (sb.st_mode & 0222) == 0) return false;
    fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

// What a refused file is, told apart before anything is opened.
StoreProblem fileProblem(const fs::path& file) {
    std::error_code ec;
    const auto st = fs::status(file, ec);
    if (!fs::exists(st)) {
        fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
        return fs::is_directory(dir, ec) && ::access(dir.c_str(), W_OK | X_OK) == 0
                   ? StoreProblem::None
                   : StoreProblem::CannotCreate;
    }
    if (fs::is_directory(st)) return StoreProblem::Folder;
    if (!fs::is_regular_file(st)) return StoreProblem::NotAFile;
    // A crash may leave the header ahead of the pages until its journal is
    // rolled back on opening: the header is then judged after the opening.
    const bool hotJournal = fs::file_size(file.string() + "-journal", ec) > 0 && !ec;
    if (const StoreProblem header = hotJournal ? StoreProblem::None : StoreHeaderProblem(file);
        header != StoreProblem::None)
        return header;
    return writable(file) ? StoreProblem::None : StoreProblem::ReadOnly;
}

std::unique_ptr<SqliteConnection> openOrCreate(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return SqliteConnection::create(file.string());
    if (fs::file_size(file, ec) == 0 && !ec) return SqliteConnection::create(file.string());
    return SqliteConnection::open(file.string());
}

StoreProblem problemOf(const DbError& e) {
    switch (e.number()) {
    case dberr::kNotADatabase:
        return StoreProblem::Damaged;
    case dberr::kBusy:
        return StoreProblem::Locked;
    case dberr::kReadOnly:
        return StoreProblem::ReadOnly;
    case dberr::kDiskFull:
        return StoreProblem::DiskFull;
    default:
        return StoreProblem::Other;
    }
}

} // namespace

void SetSchemaStepHook(std::function<void(int step)> hook) {
    stepHook() = std::move(hook);
}

bool OpenLocalStore(std::unique_ptr<SqliteConnection>& cn, const std::string& path, StoreOpenReport* report) {
    StoreOpenReport local;
    StoreOpenReport& r = report ? *report : local;
    r = StoreOpenReport{};
    cn.reset();
    auto refuse = [&r](StoreProblem why, std::string detail = {}) {
        r.problem = why;
        r.detail = std::move(detail);
        return false;
    };
    if (path.empty()) return refuse(StoreProblem::NoPath);
    const fs::path file(path);
    if (const StoreProblem p = fileProblem(file); p != StoreProblem::None) return refuse(p);
    try {
        auto c = openOrCreate(file);
        // Opening may have rolled back what a crashed run left half-written:
        // the header is read again after that.
        if (const StoreProblem p = StoreHeaderProblem(file); p != StoreProblem::None) return refuse(p);
        if (c->readOnly() || !writable(file)) return refuse(StoreProblem::ReadOnly);
        c->begin(true);
        try {
            SchemaRun s(*c);
            migrate(*c, s);
            if (!isCurrent(*c)) {
                c->rollback();
                return refuse(StoreProblem::NotAStore);
            }
            c->commit();
        } catch (...) {
            c->rollback();
            throw;
        }
        r.permissionsTightened = TightenStorePermissions(file);
        cn = std::move(c);
        return true;
    } catch (const DbError& e) {
        return refuse(problemOf(e), e.detail().empty() ? e.description() : e.detail());
    } catch (const std::exception& e) {
        return refuse(StoreProblem::Other, e.what());
    }
}

void ShowRecordWriteError(const std::string& tag, std::int32_t number, const std::string& description) {
    messages().information("작업에 오류가 있어 저장할수 없습니다.", "오류");
    ShowError(tag, number, description);
}

} // namespace pelmora
