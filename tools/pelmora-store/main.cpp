// pelmora-store: the prescription store from the command line, for cron and
// for checks.
//
//   pelmora-store [--root DIR] totals --from YYYYMMDD --to YYYYMMDD [--format json|tsv]
//   pelmora-store [--root DIR] year-end --year YYYY [--format json|tsv]
//   pelmora-store [--root DIR] backup [--folder DIR]
//   pelmora-store [--root DIR] verify FILE [--passphrase-file FILE]
//   pelmora-store [--root DIR] restore FILE [--passphrase-file FILE]
//   pelmora-store [--root DIR] list [--folder DIR]

#include "StoreCommands.h"
#include "data/StartUp.h"
#include "util/CommandLine.h"

#include <chrono>
#include <iostream>
#include <map>

using namespace pelmora;

namespace {

const CommandLine cli(
    "pelmora-store",
    {.synopsis = {"[--root DIR] totals --from YYYYMMDD --to YYYYMMDD [--format json|tsv]",
                  "[--root DIR] year-end --year YYYY [--format json|tsv]",
                  "[--root DIR] backup [--folder DIR]", "[--root DIR] verify FILE [--passphrase-file FILE]",
                  "[--root DIR] restore FILE [--passphrase-file FILE]", "[--root DIR] list [--folder DIR]"},
     .description =
         "The prescription store of a Pelmora installation from the command line: the totals of a range\n"
         "of dispensing dates per day and insurance class, the year's medical expenses per patient for the\n"
         "year-end settlement, and backups made, checked, restored and listed as the program makes them,\n"
         "with the folder, generations and key of Data/Pelmora.ini. Amounts are text with four decimals.\n"
         "Progress goes to standard error on a terminal. Exit status: 0 done, 1 failed (the reason on\n"
         "standard error, in Korean), 2 wrong arguments.",
     .options = "  --root DIR              the installation root (default $HOME/Corvane)\n"
                "  --from, --to YYYYMMDD   the first and last dispensing date of the totals\n"
                "  --year YYYY             the year of the year-end report\n"
                "  --format json|tsv       output of totals and year-end (default json)\n"
                "  --folder DIR            the backup folder instead of the settings' one\n"
                "  --passphrase-file FILE  the backup passphrase on the first line of FILE; else\n"
                "                          PELMORA_BACKUP_PASSPHRASE, else asked on the terminal\n"});

int usageError(const std::string& why) {
    return cli.usageError(why);
}

bool validDate(const std::string& d) {
    if (d.size() != 8 || d.find_first_not_of("0123456789") != std::string::npos) return false;
    using namespace std::chrono;
    return year_month_day(year(std::stoi(d.substr(0, 4))), month(std::stoul(d.substr(4, 2))),
                          day(std::stoul(d.substr(6, 2))))
        .ok();
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    StoreToolOptions o;
    o.root = defaultRoot();
    std::string command, format = "json", year;
    std::map<std::string, std::string*> valued = {
        {"--root", nullptr}, {"--from", &o.from}, {"--to", &o.to}, {"--year", &year}, {"--format", &format}};
    std::string root, folder, passFile;
    valued["--root"] = &root;
    valued["--folder"] = &folder;
    valued["--passphrase-file"] = &passFile;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        } else if (valued.count(arg)) {
            if (i + 1 >= argc) return usageError(arg + " 다음에 값이 필요합니다.");
            value = argv[++i];
        }
        if (valued.count(arg)) {
            *valued[arg] = value;
            if (arg == "--root") o.root = value;
            if (arg == "--folder") o.folder = value;
            if (arg == "--passphrase-file") o.passphraseFile = value;
        } else if (arg.rfind("--", 0) == 0) {
            return usageError("알 수 없는 옵션입니다: " + arg);
        } else if (command.empty()) {
            command = arg;
        } else {
            positional.push_back(arg);
        }
    }
    if (format != "json" && format != "tsv") return usageError("--format 은 json 또는 tsv 입니다.");
    o.tsv = format == "tsv";
    const bool takesFile = command == "verify" || command == "restore";
    if (positional.size() != (takesFile ? 1u : 0u))
        return usageError(takesFile ? "백업 파일을 하나 적어 주십시오." : "필요 없는 인수가 있습니다.");
    if (takesFile) o.file = positional[0];

    if (command == "totals") {
        if (!validDate(o.from) || !validDate(o.to))
            return usageError("--from 과 --to 에 YYYYMMDD 날짜가 필요합니다.");
        if (o.from > o.to) return usageError("--from 이 --to 보다 늦습니다.");
        return RunTotals(o);
    }
    if (command == "year-end") {
        if (year.size() != 4 || !validDate(year + "0101"))
            return usageError("--year 에 YYYY 연도가 필요합니다.");
        o.year = std::stoi(year);
        return RunYearEnd(o);
    }
    if (command == "backup") return RunBackup(o);
    if (command == "verify") return RunVerify(o);
    if (command == "restore") return RunRestore(o);
    if (command == "list") return RunList(o);
    return usageError(command.empty() ? "명령이 없습니다." : "알 수 없는 명령입니다: " + command);
}
