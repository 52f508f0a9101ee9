// pelmora-refgen: writes a realistic set of the six reference files into an
// installation root, for the demo and the benchmarks.

#include "DrugList.h"
#include "data/FeeSchedule.h"
#include "RefGenerator.h"
#include "util/CommandLine.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

using namespace pelmora::refgen;

namespace {

const pelmora::CommandLine
    cli("pelmora-refgen",
        {.synopsis = {"--root DIR [--drugs N] [--years Y] [--institutions N] [--seed S]"},
         .description = "Writes the six reference files (심평원수.db, 심평원약.db, 공휴일.db, 병원종병.db,\n"
                        "특정기호.db, 팩단위약.db) under DIR/TX60/SubPrg, replacing any that are there.",
         .options = "  --root DIR          installation root (required)\n"
                    "  --drugs N           drugs in the price list (default 3000, at most 140000), besides\n"
                    "                      the 50 \"J\" codes of the twin table and their twins\n"
                    "  --years Y           yearly price periods per drug, ending 2026 (default 15)\n"
                    "  --institutions N    care institutions (default 3000)\n"
                    "  --seed S            the same seed writes the same data (default 20240101)\n",
         .notes = R"(Published figures (copied from official and trade-press sources):
  - the public holidays 2009-2027, substitute and election days included;
  - the total dispensing fees of an adult internal-drug prescription at normal
    weekday hours for the years and day counts published (2010-2026), e.g.
    6,610 won for 3 days in 2024: the pharmacy management, basic dispensing,
    guidance, internal dispensing and drug management fees add up to them;
  - the single fee items published for some years, and the conversion factors
    2011-2026.
Demo values (plausible, not official):
  - every other fee amount: the night, holiday, child, late-night and Saturday
    variants, the external-drug fees, the items of years without a published
    figure (points times the year's conversion factor; 2009 and 2010 factors
    extrapolated);
  - the drugs, their makers, codes and prices, the institutions, the special
    codes and their versions, the notice dates.)"});

bool number(const char* text, long long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    Options o;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) {
            return cli.usageError(a + " needs a value");
        }
        const char* v = argv[++i];
        long long n = 0;
        if (a == "--root") {
            root = v;
        } else if ((a == "--drugs" || a == "--years" || a == "--institutions" || a == "--seed") &&
                   number(v, n) && n >= 0 && n <= 0x7fffffff) {
            if (a == "--drugs") o.drugs = static_cast<int>(n);
            if (a == "--years") o.years = static_cast<int>(n);
            if (a == "--institutions") o.institutions = static_cast<int>(n);
            if (a == "--seed") o.seed = static_cast<unsigned long long>(n);
        } else {
            return cli.usageError("bad argument " + a + " " + v);
        }
    }
    if (root.empty()) {
        return cli.usageError("--root DIR is required");
    }
    try {
        Summary s = RefGenerator::generate(root, o);
        std::printf(
            "%s: %lld fee rows, %lld drug price rows, %lld holidays, %d institutions, %lld special-code "
            "versions, %lld pack-unit drugs in %.1f s\n",
            root.c_str(), s.feeRows, s.drugRows, s.holidays, o.institutions, s.specialCodes, s.packDrugs,
            s.seconds);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-refgen: " << e.what() << '\n';
        return 1;
    }
}
