// pelmora-calc: prices charge requests without the window.
//
//   pelmora-calc (--ref-db FILE | --root DIR) --header H [--lines L]
//   pelmora-calc (--ref-db FILE | --root DIR) --batch FILE|-
//   pelmora-calc (--odbc-file FILE | --odbc-env VAR | --odbc CONN) [--dialect local|tsql] (--header ... |
//   --batch ...)
//
// One JSON object per request goes to standard output; messages go to
// standard error. Exit status: 0 done, 1 a batch line was not a request or
// a request's pricing reported an error (its "error" field says which), 2
// wrong arguments or no reference data.

#include "CalcSession.h"
#include "OdbcSecret.h"
#include "charge/FeeIndex.h"
#include "data/LinkDatabase.h"
#include "data/OdbcRefConnection.h"
#include "data/SqliteConnection.h"
#include "util/CommandLine.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace pelmora;

namespace {

const CommandLine cli(
    "pelmora-calc",
    {.synopsis = {"(--ref-db FILE | --root DIR) --header HEADER [--lines LINES]",
                  "(--ref-db FILE | --root DIR) --batch REQUESTS.jsonl|-",
                  "(--odbc-file FILE | --odbc-env VAR | --odbc CONN) [--dialect local|tsql] (--header ... | "
                  "--batch ...)"},
     .description =
         "Prices charge requests without the window: one JSON object with every figure per request on\n"
         "standard output, messages on standard error. Exit status: 0 done, 1 a batch line was not a\n"
         "request, 2 wrong arguments or no reference data.",
     .options =
         "  --ref-db FILE     an SQLite file holding the fee table DBF심평원수\n"
         "  --root DIR        the installation root; its link database over the reference files is used,\n"
         "                    and built again first when a reference file changed\n"
         "  --odbc-file FILE  the first line of FILE is an ODBC connection string (driver by path) to the\n"
         "                    central server or a reference file; keep FILE readable by its owner only\n"
         "  --odbc-env VAR    the connection string is in the environment variable VAR (e.g. PELMORA_ODBC)\n"
         "  --odbc CONN       the connection string itself: other users of the machine can read it\n"
         "                    (and its password) in the list of processes\n"
         "  --dialect D       the SQL of that connection: local or tsql (default local for the SQLite\n"
         "                    driver); a TDS driver connection without TDS_Version gets the pinned one\n"
         "  --header H        the request header (13 fields, each followed by '#', closed by '$')\n"
         "  --lines L         the drug lines (12 fields each, each followed by '#', each line closed by "
         "'$')\n"
         "  --batch F         one JSON object {\"header\": ..., \"lines\": ...} per line;\n"
         "                    '-' reads standard input\n"});

struct Options {
    std::optional<std::string> refDb, root, header, lines, batch, odbc, odbcFile, odbcEnv, dialect;
};

int usage(const std::string& why) {
    return cli.usageError(why);
}

bool parse(int argc, char** argv, Options& o, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::optional<std::string>* target = arg == "--ref-db"      ? &o.refDb
                                             : arg == "--root"      ? &o.root
                                             : arg == "--header"    ? &o.header
                                             : arg == "--lines"     ? &o.lines
                                             : arg == "--batch"     ? &o.batch
                                             : arg == "--odbc"      ? &o.odbc
                                             : arg == "--odbc-file" ? &o.odbcFile
                                             : arg == "--odbc-env"  ? &o.odbcEnv
                                             : arg == "--dialect"   ? &o.dialect
                                                                    : nullptr;
        if (!target) {
            why = "unknown argument " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            why = arg + " needs a value";
            return false;
        }
        *target = argv[++i];
    }
    const bool odbc = o.odbc || o.odbcFile || o.odbcEnv;
    if (int(o.refDb.has_value()) + int(o.root.has_value()) + int(o.odbc.has_value()) +
            int(o.odbcFile.has_value()) + int(o.odbcEnv.has_value()) !=
        1) {
        why = "give one of --ref-db, --root, --odbc-file, --odbc-env or --odbc";
        return false;
    }
    if (o.dialect && (!odbc || (*o.dialect != "local" && *o.dialect != "tsql"))) {
        why = "--dialect is local or tsql, and only with an ODBC connection";
        return false;
    }
    if (o.header.has_value() == o.batch.has_value()) {
        why = "give either --header or --batch";
        return false;
    }
    if (o.batch && o.lines) {
        why = "--lines belongs to a single request, not to --batch";
        return false;
    }
    return true;
}

// Where a build of the link database stands, on one line of standard error
// when it is a terminal.
LinkProgressFn progressOnTerminal() {
    if (!::isatty(2)) return {};
    return [](const LinkProgress& p) {
        if (p.phase == LinkProgress::Phase::Copying)
            std::cerr << "\r참조 자료 " << ReferenceFiles::names().at(p.file) << " " << p.rows << "행    "
                      << std::flush;
        else if (p.phase == LinkProgress::Phase::Indexing)
            std::cerr << "\r찾아보기 색인을 만드는 중                    " << std::flush;
        else
            std::cerr << "\r다른 Pelmora가 참조 자료를 만드는 중입니다   " << std::flush;
    };
}

// Figures of a run that reported an error are no bill: the caller is told so.
int pricedStatus(const calc::CalcSession& session, bool allValid) {
    if (session.failedRuns() > 0)
        std::cerr << "pelmora-calc: 계산 오류가 보고된 요청이 " << session.failedRuns() << "건 있습니다.\n";
    return allValid && session.failedRuns() == 0 ? 0 : 1;
}

int run(const Options& o, SqliteConnection* db, RefConnection& direct) {
    if (o.header) {
        // A single request issues its lookups on the connection, as the window does.
        calc::CalcSession session(direct);
        std::string out;
        session.price(*o.header, o.lines.value_or(""), out);
        std::cout << out << std::flush;
        return pricedStatus(session, true);
    }
    // Many requests: the fee table is read once and answered from memory;
    // over ODBC every lookup goes to the connection.
    std::optional<FeeIndex> index;
    if (db) index.emplace(*db);
    calc::CalcSession session(index ? static_cast<RefConnection&>(*index) : direct);
    bool ok;
    if (*o.batch == "-") {
        ok = session.batch(std::cin, std::cout);
    } else {
        std::ifstream in(*o.batch, std::ios::binary);
        if (!in) {
            std::cerr << "pelmora-calc: cannot read " << *o.batch << "\n";
            return 2;
        }
        ok = session.batch(in, std::cout);
    }
    return pricedStatus(session, ok);
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    std::ios::sync_with_stdio(false);
    Options o;
    std::string why;
    if (!parse(argc, argv, o, why)) return usage(why);
    try {
        if (o.refDb) {
            auto db = SqliteConnection::open(*o.refDb, SqliteConnection::OpenMode::ReadOnly);
            SqliteRefConnection direct(*db);
            return run(o, db.get(), direct);
        }
        if (o.odbc || o.odbcFile || o.odbcEnv) {
            std::string connection;
            try {
                if (o.odbc) std::cerr << calc::commandLineWarning();
                connection = o.odbc       ? *o.odbc
                             : o.odbcFile ? calc::connectionFromFile(*o.odbcFile, std::cerr)
                                          : calc::connectionFromEnvironment(*o.odbcEnv);
            } catch (const std::runtime_error& e) {
                std::cerr << "pelmora-calc: " << e.what() << "\n";
                return 2;
            }
            std::optional<Dialect> dialect;
            if (o.dialect) dialect = *o.dialect == "tsql" ? Dialect::TSql : Dialect::Local;
            auto cn = OdbcRefConnection::connect(calc::withPinnedTdsVersion(connection), dialect);
            return run(o, nullptr, *cn);
        }
        std::unique_ptr<LinkDatabase> link;
        const bool built = !ConnectLocalMdb(*o.root, link, &why, progressOnTerminal()) || link->built();
        if (built && ::isatty(2)) std::cerr << "\n";
        if (!link) {
            std::cerr << "pelmora-calc: no reference data under " << *o.root << ": " << why << "\n";
            return 2;
        }
        return run(o, &link->database(), link->connection());
    } catch (const OdbcError& e) {
        std::cerr << "pelmora-calc: " << e.number() << " "
                  << (e.diagnostics().empty() ? "" : e.diagnostics().front().sqlState + " ")
                  << e.description() << "\n";
        return 2;
    } catch (const RuntimeError& e) {
        std::cerr << "pelmora-calc: " << e.number() << " " << e.description() << "\n";
        return 2;
    }
}
