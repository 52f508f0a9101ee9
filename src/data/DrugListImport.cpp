#include "DrugListImport.h"

#include "DbError.h"
#include "ImportError.h"
#include "ReferenceFileWriter.h"
#include "ReferenceFiles.h"
#include "SqliteConnection.h"
#include "util/DateText.h"

#include <climits>
#include <map>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

using Kind = ImportError::Kind;

// One DBF심평원약 row.
struct PriceRow {
    long long id = 0; // rowid
    std::string code, oldCode, name, maker, unit, coverage, classNo, ingredient, flag, start, end;
    Currency price;

    // Everything a list states about the product; the substitution flag is
    // the pharmacy's and is carried, never compared.
    bool sameAs(const PriceRow& o) const {
        return oldCode == o.oldCode && name == o.name && maker == o.maker && unit == o.unit &&
               coverage == o.coverage && classNo == o.classNo && ingredient == o.ingredient &&
               price == o.price;
    }
};

struct Plan {
    std::vector<std::pair<long long, std::string>> ends, starts; // rowid: new 적용종료일 / 적용시작일
    std::vector<long long> deletes;
    std::vector<PriceRow> inserts;
    std::size_t size() const { return ends.size() + starts.size() + deletes.size() + inserts.size(); }
};

const char* const kColumns =
    "ifnull(표준코드,''), ifnull(코드,''), ifnull(약품명,''), ifnull(업소명,''), "
    "ifnull(규격단위,''), ifnull(급여구분,''), ifnull(상한가,0), ifnull(분류번호,''), "
    "ifnull(주성분코드,''), ifnull(임의조제,''), ifnull(적용시작일,''), ifnull(적용종료일,'')";

std::string lastDateIn(SqliteConnection& db) {
    return db.query("SELECT ifnull(max(고시적용일), '') AS d FROM 고시적용일").field("d").toText();
}

void refuseOlder(const std::string& date, const std::string& last, bool force) {
    if (!force && !last.empty() && date < last)
        throw ImportError(Kind::OlderList, "이 약가파일(" + DateText::shown(date) +
                                               ")은 마지막으로 반영한 약가(" + DateText::shown(last) +
                                               ")보다 오래되었습니다.");
}

// Every row of the products that touches [from, to], by code.
std::map<std::string, std::vector<PriceRow>> rowsTouching(SqliteConnection& db, const std::string& from,
                                                          const std::string& to) {
    RecordSet rs =
        db.query(std::string("SELECT rowid, ") + kColumns +
                     " FROM DBF심평원약 WHERE 적용시작일 <= ? AND 적용종료일 >= ? ORDER BY 적용시작일",
                 {to, from});
    std::map<std::string, std::vector<PriceRow>> rows;
    for (std::size_t i = 0; i < static_cast<std::size_t>(rs.recordCount()); ++i) {
        auto t = [&](int c) { return rs.value(i, c).toText(); };
        PriceRow r{
            std::stoll(t(0)),           t(1), t(2), t(3), t(4), t(5), t(6), t(8), t(9), t(10), t(11), t(12),
            rs.value(i, 7).toCurrency()};
        rows[r.code].push_back(std::move(r));
    }
    return rows;
}

// Works out the changes that make the list hold from `date` to `last`
// (the day before the next list already taken in, or for good).
class Planner {
  public:
    Planner(const DrugListFile& file, const std::string& date, const std::string& last)
        : file_(file), d_(date), e_(last), before_(DateText::plusDays(date, -1)),
          after_(DateText::plusDays(last, 1)) {}

    void product(const ListedDrug* v, const std::vector<PriceRow>& rows, DrugImportSummary& s) {
        std::vector<const PriceRow*> over;
        const PriceRow *ending = nullptr, *carry = nullptr;
        for (const PriceRow& r : rows) {
            if (r.start <= e_ && r.end >= d_)
                over.push_back(&r);
            else if (r.end == before_)
                ending = &r;
            if (r.start <= d_ && (r.end >= d_ || r.end == before_)) carry = &r; // what the product had
        }
        if (!v) {
            if (over.empty()) return;
            ++s.delisted;
            cut(over, nullptr);
            return;
        }
        const PriceRow n = rowOf(*v, carry);
        if (over.size() == 1 && over[0]->start <= d_ && over[0]->end >= e_ && over[0]->sameAs(n)) {
            ++s.unchanged;
            return;
        }
        ++(over.empty() ? s.added : s.changed);
        // a row that ends the day before with the same content goes on instead of a new one
        const PriceRow* goesOn = nullptr;
        for (const PriceRow* r : over)
            if (r->start < d_ && r->sameAs(n)) goesOn = r;
        if (!goesOn && ending && ending->sameAs(n)) {
            plan.ends.emplace_back(ending->id, e_);
            goesOn = ending;
        }
        cut(over, goesOn);
        if (!goesOn) plan.inserts.push_back(n);
    }

    Plan plan;

  private:
    PriceRow rowOf(const ListedDrug& v, const PriceRow* carry) const {
        auto kept = [&](bool listed, const std::string& given, std::string PriceRow::*field) {
            return listed || !carry ? given : carry->*field;
        };
        PriceRow n;
        n.code = v.code;
        n.oldCode = kept(!v.oldCode.empty(), v.oldCode, &PriceRow::oldCode);
        n.name = v.name;
        n.maker = kept(file_.has(DrugListFile::kMaker), v.maker, &PriceRow::maker);
        n.unit = kept(file_.has(DrugListFile::kUnit), v.unit, &PriceRow::unit);
        n.coverage = "급여"; // the list holds the covered drugs
        n.classNo = kept(file_.has(DrugListFile::kClass), v.classNo, &PriceRow::classNo);
        n.ingredient = kept(file_.has(DrugListFile::kIngredient), v.ingredient, &PriceRow::ingredient);
        n.flag = carry ? carry->flag : "";
        n.price = v.price;
        n.start = d_;
        n.end = e_;
        return n;
    }

    // Takes [d_, e_] out of the rows that overlap it; `goesOn` instead runs to e_.
    void cut(const std::vector<const PriceRow*>& over, const PriceRow* goesOn) {
        for (const PriceRow* r : over) {
            if (r->start < d_)
                plan.ends.emplace_back(r->id, r == goesOn ? e_ : before_);
            else if (r->end > e_)
                plan.starts.emplace_back(r->id, after_);
            else
                plan.deletes.push_back(r->id);
            if (r->start < d_ && r->end > e_) {
                PriceRow tail = *r;
                tail.start = after_;
                plan.inserts.push_back(std::move(tail));
            }
        }
    }

    const DrugListFile& file_;
    const std::string d_, e_, before_, after_;
};

Variant rowid(long long id) {
    if (id > INT_MAX) throw ImportError(Kind::Failed, "약가 표의 행 번호가 너무 큽니다");
    return Variant(static_cast<std::int32_t>(id));
}

void apply(SqliteConnection& db, const Plan& plan, const DrugListImport::Progress& progress) {
    std::size_t done = 0;
    auto step = [&] {
        if (++done % 2000 == 0 && progress &&
            !progress(85 + static_cast<int>(14 * done / std::max<std::size_t>(plan.size(), 1))))
            throw ImportError(Kind::Cancelled, "약가파일 반영을 취소하였습니다.");
    };
    for (const auto& [id, end] : plan.ends) {
        db.execute("UPDATE DBF심평원약 SET 적용종료일 = ? WHERE rowid = ?", {end, rowid(id)});
        step();
    }
    for (const auto& [id, start] : plan.starts) {
        db.execute("UPDATE DBF심평원약 SET 적용시작일 = ? WHERE rowid = ?", {start, rowid(id)});
        step();
    }
    for (long long id : plan.deletes) {
        db.execute("DELETE FROM DBF심평원약 WHERE rowid = ?", {rowid(id)});
        step();
    }
    for (const PriceRow& r : plan.inserts) {
        db.execute(
            "INSERT INTO DBF심평원약 (표준코드, 코드, 약품명, 업소명, 규격단위, 급여구분, 상한가, 분류번호,"
            " 주성분코드, 임의조제, 적용시작일, 적용종료일) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
            {r.code, r.oldCode, r.name, r.maker, r.unit, r.coverage, r.price, r.classNo, r.ingredient, r.flag,
             r.start, r.end});
        step();
    }
}

} // namespace

std::string DrugListImport::lastDate(const fs::path& root) {
    const fs::path file = ReferenceFiles::file(root, ReferenceFiles::kDrug);
    if (!fs::exists(file)) return {};
    try {
        return lastDateIn(*SqliteConnection::open(file.string(), SqliteConnection::OpenMode::ReadOnly));
    } catch (const DbError& e) {
        throw ImportError(Kind::NoRoot, file.string() + "을(를) 읽을 수 없습니다: " + e.description());
    }
}

DrugImportSummary DrugListImport::run(const fs::path& root, const fs::path& path,
                                      const DrugImportOptions& options, const Progress& progress) {
    DrugListFile file(path, options.date);
    DrugImportSummary s;
    s.date = file.date();
    if (!fs::exists(ReferenceFiles::file(root, ReferenceFiles::kDrug)))
        throw ImportError(Kind::NoRoot, ReferenceFiles::file(root, ReferenceFiles::kDrug).string() +
                                            " 파일이 없습니다. 참조 파일을 먼저 만드십시오.");
    refuseOlder(s.date, lastDate(root), options.force);

    std::map<std::string, ListedDrug> listed;
    const bool whole = file.read(
        [&](ListedDrug&& d) {
            if (listed.count(d.code))
                s.skipped.push_back({d.line, d.code, d.name, "중복된 제품코드"});
            else
                listed.emplace(d.code, std::move(d));
        },
        s.skipped, [&](double share) { return !progress || progress(static_cast<int>(share * 80)); });
    if (!whole) throw ImportError(Kind::Cancelled, "약가파일 반영을 취소하였습니다.");
    if (listed.empty()) throw ImportError(Kind::BadFile, "약가파일에 반영할 제품이 없습니다.");
    s.products = static_cast<long long>(listed.size());
    s.groupRows = file.groupRows();

    try {
        // the copy is taken under the file's lock, so the plan is made on what gets written
        ReferenceFileWriter out(root, ReferenceFiles::kDrug, ReferenceFileWriter::From::Current);
        SqliteConnection& db = out.db();
        s.previousDate = lastDateIn(db);
        refuseOlder(s.date, s.previousDate, options.force);
        // a list taken in later than this one still holds from its own date
        std::string last =
            db.query("SELECT ifnull(min(d), '99991231') AS d FROM (SELECT min(고시적용일) AS d "
                     "FROM 고시적용일 WHERE 고시적용일 > ?1 UNION ALL SELECT min(적용시작일) "
                     "FROM DBF심평원약 WHERE 적용시작일 > ?1)",
                     {s.date})
                .field("d")
                .toText();
        if (last != "99991231") last = DateText::plusDays(last, -1);
        const auto rows = rowsTouching(db, DateText::plusDays(s.date, -1), DateText::plusDays(last, 1));
        if (progress && !progress(85)) throw ImportError(Kind::Cancelled, "약가파일 반영을 취소하였습니다.");

        Planner planner(file, s.date, last);
        static const std::vector<PriceRow> none;
        auto l = listed.begin();
        auto r = rows.begin();
        while (l != listed.end() || r != rows.end()) {
            const bool takeList = r == rows.end() || (l != listed.end() && l->first <= r->first);
            const bool takeRows = l == listed.end() || (r != rows.end() && r->first <= l->first);
            planner.product(takeList ? &l->second : nullptr, takeRows ? r->second : none, s);
            if (takeList) ++l;
            if (takeRows) ++r;
        }
        const bool dated = db.query("SELECT count(*) AS n FROM 고시적용일 WHERE 고시적용일 = ?", {s.date})
                               .field("n")
                               .toInt32() > 0;
        if (planner.plan.size() == 0 && dated) return s; // unchanged: the writer throws its copy away
        apply(db, planner.plan, progress);
        if (!dated) db.execute("INSERT INTO 고시적용일 (고시적용일) VALUES (?)", {s.date});
        out.commit();
        s.written = true;
        if (progress) progress(100);
        return s;
    } catch (const DbError& e) {
        throw ImportError(Kind::Failed, "약가 참조 파일을 고칠 수 없습니다: " + e.description());
    }
}

} // namespace pelmora
