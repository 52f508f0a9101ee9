// Golden cases: one folder per case under cases/, holding the request
// (request.txt: the header on line 1, the drug lines on line 2), its fee table
// (fees.tsv) and the expected figures (expected.tsv, name and value). A result
// variable not listed must keep its start value.

#include "ChargeFixture.h"
#include "charge/AccountFields.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace pelmora;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

const fs::path kCases = fs::path(PELMORA_SOURCE_DIR) / "tests/charge/cases";

std::vector<std::vector<std::string>> readTsv(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first) { // column names
            first = false;
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t'))
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kCases))
        if (e.is_directory()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenCase : public testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, GivesTheExpectedFigures) {
    const fs::path dir = kCases / GetParam();
    std::ifstream req(dir / "request.txt");
    std::string header, body;
    std::getline(req, header);
    std::getline(req, body);

    FeeTable fees;
    for (const auto& r : readTsv(dir / "fees.tsv")) {
        ASSERT_GE(r.size(), 4u) << dir;
        fees.add({r[0], r[1], std::stod(r[2]), r[3]});
    }
    std::map<std::string, std::string> expected;
    for (const auto& r : readTsv(dir / "expected.tsv"))
        expected[r.at(0)] = r.size() > 1 ? r[1] : "";

    RecordingMessage box;
    clsAccount a = price(header, body, fees.cn());
    EXPECT_TRUE(box.boxes.empty()) << (box.boxes.empty() ? "" : box.boxes[0].text);

    const clsAccount start;
    std::size_t matched = 0;
    for (const auto& f : accountFields()) {
        auto it = expected.find(f.name);
        const std::string want = it != expected.end() ? it->second : fieldText(start, f);
        if (it != expected.end()) ++matched;
        EXPECT_EQ(fieldText(a, f), want) << f.name;
    }
    EXPECT_EQ(matched, expected.size()) << "expected.tsv names a variable that does not exist";
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, testing::ValuesIn(caseNames()), [](const auto& info) {
    std::string n = info.param;
    for (auto& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

} // namespace
