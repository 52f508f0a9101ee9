#include "StoreReports.h"

#include <nlohmann/json.hpp>

#include <array>
#include <utility>

namespace pelmora {

namespace {
using Field = std::pair<const char*, Currency ChargeSums::*>;
const std::array<Field, 12> kAmounts = {{{"total", &ChargeSums::total},
                                         {"bonin", &ChargeSums::bonin},
                                         {"insurer", &ChargeSums::insurer},
                                         {"gongdan", &ChargeSums::gongdan},
                                         {"bohun", &ChargeSums::bohun},
                                         {"jiwon", &ChargeSums::jiwon},
                                         {"bibo", &ChargeSums::bibo},
                                         {"full", &ChargeSums::full},
                                         {"collect", &ChargeSums::collect},
                                         {"card", &ChargeSums::card},
                                         {"cashRcpt", &ChargeSums::cashRcpt},
                                         {"cash", &ChargeSums::cash}}};

nlohmann::ordered_json sumsJson(const ChargeSums& s) {
    nlohmann::ordered_json j = {{"count", s.count}, {"unpriced", s.unpriced}};
    for (const auto& [name, field] : kAmounts)
        j[name] = (s.*field).toFixed(4);
    return j;
}

void tsvSums(std::ostream& out, const ChargeSums& s) {
    out << s.count << '\t' << s.unpriced;
    for (const auto& [name, field] : kAmounts)
        out << '\t' << (s.*field).toFixed(4);
    out << '\n';
}
} // namespace

void WriteTotalsJson(std::ostream& out, const StoreTotals& t, const std::string& from,
                     const std::string& to) {
    nlohmann::ordered_json j = {{"from", from}, {"to", to}};
    j["days"] = nlohmann::ordered_json::array();
    for (const auto& d : t.days) {
        auto row = nlohmann::ordered_json{{"date", d.date}};
        row.update(sumsJson(d.sums));
        j["days"].push_back(row);
    }
    j["classes"] = nlohmann::ordered_json::array();
    for (const auto& c : t.classes) {
        auto row = nlohmann::ordered_json{{"insClass", c.insClass}};
        row.update(sumsJson(c.sums));
        j["classes"].push_back(row);
    }
    j["all"] = sumsJson(t.all);
    out << j.dump(1) << '\n';
}

// One header line, then a line per day, per insurance class ("class N") and
// the sum ("all").
void WriteTotalsTsv(std::ostream& out, const StoreTotals& t) {
    out << "what\tcount\tunpriced";
    for (const auto& [name, field] : kAmounts)
        out << '\t' << name;
    out << '\n';
    for (const auto& d : t.days) {
        out << d.date << '\t';
        tsvSums(out, d.sums);
    }
    for (const auto& c : t.classes) {
        out << "class " << c.insClass << '\t';
        tsvSums(out, c.sums);
    }
    out << "all\t";
    tsvSums(out, t.all);
}

void WriteYearEndJson(std::ostream& out, const YearEndReport& r, int year) {
    nlohmann::ordered_json j = {{"year", year},
                                {"optedOut", r.optedOut},
                                {"withoutNumber", r.withoutNumber},
                                {"paid", r.paid.toFixed(4)}};
    j["patients"] = nlohmann::ordered_json::array();
    for (const auto& p : r.patients)
        j["patients"].push_back(
            {{"jumNo", p.jumNo}, {"name", p.name}, {"count", p.count}, {"paid", p.paid.toFixed(4)}});
    out << j.dump(1) << '\n';
}

void WriteYearEndTsv(std::ostream& out, const YearEndReport& r) {
    out << "jumNo\tname\tcount\tpaid\n";
    for (const auto& p : r.patients)
        out << p.jumNo << '\t' << p.name << '\t' << p.count << '\t' << p.paid.toFixed(4) << '\n';
}

} // namespace pelmora
