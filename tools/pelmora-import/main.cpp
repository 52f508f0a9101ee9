// pelmora-import: published reference data into an installation root.

#include "data/DrugListImport.h"
#include "data/ImportError.h"
#include "data/RealRoot.h"
#include "data/StartUp.h"
#include "util/CommandLine.h"
#include "util/DateText.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace pelmora;

namespace {

const CommandLine cli(
    "pelmora-import",
    {.synopsis = {"[--root DIR] [--date YYYYMMDD] [--force] LIST.xlsx",
                  "[--root DIR] --new-root [--replace] [LIST.xlsx]", "[--root DIR] --fee-items ITEMS.tsv"},
     .description =
         "Takes published reference data into the reference files under DIR/TX60/SubPrg (DIR is\n"
         "$HOME/Corvane unless --root is given). Every file is written beside itself and renamed\n"
         "when complete, so a running Pelmora never reads half of it.\n"
         "\n"
         "LIST.xlsx is the national drug price list (약제급여목록및급여상한금액표) in any published\n"
         "layout; its products and ceiling prices hold from the date in its file name or sheet\n"
         "name. A product whose row changed gets a new one from that date, a product no longer\n"
         "listed ends the day before, and the same list taken in again changes nothing.",
     .options = "  --root DIR        the installation root\n"
                "  --date YYYYMMDD   the date the list holds from, when its names carry none\n"
                "  --force           take in a list older than the last one taken in\n"
                "  --new-root        write a root of published data only: the fee schedule built from\n"
                "                    the published figures and the public holidays 2009-2027, with an\n"
                "                    empty drug list (LIST.xlsx fills it) and no care institutions,\n"
                "                    special codes or pack-unit drugs\n"
                "  --replace         with --new-root, replace reference files that are there\n"
                "  --fee-items F     add a newly published year of fee items: a tab-separated table with\n"
                "                    the columns 연도, 항목, 수가코드, 금액; each item and its after-hours,\n"
                "                    age and Saturday codes are priced from 1 January of its year\n",
     .notes = "Exit status: 0 done (also when the list was taken in already), 1 refused or failed (the\n"
              "reference files as they were), 2 wrong arguments."});

struct Options {
    std::string root, date, list, feeItems;
    bool force = false, newRoot = false, replace = false;
};

// Progress on a terminal: one line, rewritten.
DrugListImport::Progress terminalProgress() {
    if (!::isatty(STDERR_FILENO)) return {};
    return [last = -1](int percent) mutable {
        if (percent != last) std::fprintf(stderr, "\r약가파일 반영 중 %3d%%", last = percent);
        return true;
    };
}

void printSummary(const DrugImportSummary& s) {
    std::cout << DateText::shown(s.date) << " 약가: 제품 " << s.products << "건 — 신규 " << s.added
              << ", 변경 " << s.changed << ", 삭제 " << s.delisted << ", 그대로 " << s.unchanged << ", 제외 "
              << s.skipped.size() << " (성분 묶음 줄 " << s.groupRows << ")\n";
    if (!s.written) std::cout << "이미 반영된 약가파일입니다. 참조 파일은 바뀌지 않았습니다.\n";
    for (const auto& k : s.skipped)
        std::cout << "  제외 " << k.line << "행 " << k.code << " " << k.name << ": " << k.reason << "\n";
}

std::string hint(ImportError::Kind k) {
    switch (k) {
    case ImportError::Kind::OlderList:
        return " (--force 로 반영할 수 있습니다)";
    case ImportError::Kind::NoDate:
        return " (--date YYYYMMDD)";
    case ImportError::Kind::Exists:
        return " (--replace 로 바꿉니다)";
    case ImportError::Kind::NoRoot:
        return " (--new-root)";
    default:
        return "";
    }
}

int run(const Options& o) {
    const std::filesystem::path root = o.root.empty() ? defaultRoot() : std::filesystem::path(o.root);
    if (o.newRoot) {
        const RealRootSummary r = RealRoot::make(root, o.replace);
        std::cout << root.string() << ": 수가 " << r.feeRows << "행, 공휴일 " << r.holidays
                  << "일을 썼습니다 (약가는 비어 있습니다).\n";
    }
    if (!o.feeItems.empty()) {
        std::ifstream in(o.feeItems, std::ios::binary);
        if (!in) throw ImportError(ImportError::Kind::BadFile, o.feeItems + " 파일을 열 수 없습니다");
        std::stringstream text;
        text << in.rdbuf();
        const FeeYearSummary f = RealRoot::addFeeYear(root, text.str());
        std::cout << f.firstYear << (f.lastYear != f.firstYear ? "-" + std::to_string(f.lastYear) : "")
                  << "년 수가: 새 행 " << f.added << ", 바뀐 행 " << f.replaced << ", 그대로 " << f.unchanged
                  << "\n";
    }
    if (!o.list.empty()) {
        const auto progress = terminalProgress();
        const DrugImportSummary s = DrugListImport::run(root, o.list, {o.date, o.force}, progress);
        if (progress) std::cerr << "\n";
        printSummary(s);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--force") {
            o.force = true;
        } else if (a == "--new-root") {
            o.newRoot = true;
        } else if (a == "--replace") {
            o.replace = true;
        } else if (a == "--root" || a == "--date" || a == "--fee-items") {
            if (i + 1 >= argc) return cli.usageError(a + " needs a value");
            (a == "--root" ? o.root : a == "--date" ? o.date : o.feeItems) = argv[++i];
        } else if (a.starts_with("-")) {
            return cli.usageError("unknown option " + a);
        } else if (o.list.empty()) {
            o.list = a;
        } else {
            return cli.usageError("one list file at a time");
        }
    }
    if (!o.newRoot && o.feeItems.empty() && o.list.empty()) return cli.usageError("nothing to take in");
    if (o.replace && !o.newRoot) return cli.usageError("--replace goes with --new-root");
    if (!o.date.empty() && !DateText::isDate(o.date)) return cli.usageError("--date needs YYYYMMDD");
    const bool terminal = ::isatty(STDERR_FILENO);
    try {
        return run(o);
    } catch (const ImportError& e) {
        std::cerr << (terminal ? "\n" : "") << "pelmora-import: " << e.what() << hint(e.kind()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << (terminal ? "\n" : "") << "pelmora-import: 작업을 마치지 못했습니다: " << e.what()
                  << "\n";
    }
    return 1;
}
