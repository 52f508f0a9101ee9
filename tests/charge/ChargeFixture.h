#pragma once
// A fee table in memory and builders for charge requests, shared by the
// charge-engine tests.

#include "charge/clsAccount.h"
#include "data/RefConnection.h"
#include "data/SqliteConnection.h"
#include "support/RecordingMessage.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pelmora {
inline void PrintTo(const Currency& c, std::ostream* os) {
    *os << c.toFixed(4);
}
} // namespace pelmora

namespace pelmora::test {

struct FeeRow {
    std::string code;
    std::string date;
    double amount;
    std::string name = "";
};

class FeeTable {
  public:
    explicit FeeTable(const std::vector<FeeRow>& rows = {}, bool createTable = true)
        : db_(SqliteConnection::memory()), ref_(*db_) {
        if (createTable)
            db_->executeScript(
                "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT)");
        for (const auto& r : rows)
            add(r);
    }
    void add(const FeeRow& r) {
        db_->execute("INSERT INTO DBF심평원수 VALUES (?, ?, ?, ?)",
                     {r.code, r.name.empty() ? r.code + " 수가" : r.name, r.amount, r.date});
    }
    RefConnection& cn() { return ref_; }
    SqliteConnection& db() { return *db_; }

  private:
    std::unique_ptr<SqliteConnection> db_;
    SqliteRefConnection ref_;
};

// Header fields in the order of the request.
struct Header {
    std::string age = "1", afterHours = "1", insClass = "1", rate = "30", noFee = "1", publicHealth = "1",
                aidExempt = "1", support = "2", date = "20180301", packAll = "0", variant = "2",
                narcotics = "0", selfInjection = "2";
    std::string text() const {
        std::string s;
        for (const std::string* f : {&age, &afterHours, &insClass, &rate, &noFee, &publicHealth, &aidExempt,
                                     &support, &date, &packAll, &variant, &narcotics, &selfInjection})
            s += *f + "#";
        return s + "$";
    }
};

struct Line {
    std::string days = "3", coverage = "급여", route = "내복", price = "100", diff = "0", pack = "0",
                quantity = "9";
    std::string text() const {
        return "A000000001#1#3#" + days + "#" + coverage + "#" + route + "#" + price + "#" + diff + "#" +
               pack + "#" + quantity + "#x#y#$";
    }
};

inline std::string lines(const std::vector<Line>& ls) {
    std::string s;
    for (const auto& l : ls)
        s += l.text();
    return s;
}

// Runs one calculation on a new object, as the window does.
inline clsAccount price(const std::string& header, const std::string& body, RefConnection& cn) {
    clsAccount a;
    a.SubAcount(header, body, cn);
    return a;
}

inline Currency won(std::int64_t w) {
    return Currency::fromWon(w);
}

} // namespace pelmora::test

namespace pelmora::test {

// A fee schedule in force since 2000 (one Z1000 price change in 2019), enough
// for every code the shared test prescriptions build.
inline std::vector<FeeRow> standardFees() {
    return {{"Z1000", "20000101", 520, "약국관리료"},
            {"Z1000", "20190101", 600, "약국관리료"},
            {"Z2000", "20000101", 1360, "조제기본료"},
            {"Z3000", "20000101", 910, "복약지도료"},
            {"Z4103", "20000101", 1460, "내복약조제료 3일분"},
            {"Z4121", "20000101", 600, "외용약조제료(내복 함께)"},
            {"Z4120", "20000101", 500, "외용약조제료"},
            {"Z4130", "20000101", 700, "주사제조제료"},
            {"Z5000", "20000101", 560, "의약품관리료"},
            {"Z5001", "20000101", 770, "의약품관리료(마약류)"},
            {"Z2000030", "20000101", 410, "조제기본료 토요가산"},
            {"Z3000030", "20000101", 270, "복약지도료 토요가산"},
            {"Z4103030", "20000101", 440, "내복약조제료 토요가산"},
            {"Z4121030", "20000101", 180, "외용약조제료 토요가산"}};
}

} // namespace pelmora::test
