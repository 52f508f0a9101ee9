#include "StoreCommands.h"

#include "StoreReports.h"
#include "TerminalProgress.h"
#include "data/BackupFile.h"
#include "data/LocalStore.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
int fail(const std::string& message) {
    std::cerr << "pelmora-store: " << message << "\n";
    return 1;
}

// The store of the root, opened (and brought to the current version) only
// when it is there: a report never makes an empty store.
std::unique_ptr<SqliteConnection> openStore(const StoreToolOptions& o, bool create) {
    std::error_code ec;
    if (!create && !fs::exists(o.store(), ec)) return nullptr;
    if (create) fs::create_directories(o.store().parent_path(), ec);
    std::unique_ptr<SqliteConnection> cn;
    OpenLocalStore(cn, o.store().string());
    return cn;
}

BackupSettings settingsOf(const StoreToolOptions& o) {
    BackupSettings s = BackupSettings::load(SettingsFileOf(o.store()), std::cerr);
    if (o.folder) s.folder = *o.folder;
    return s;
}

// From --passphrase-file, else PELMORA_BACKUP_PASSPHRASE, else asked on the
// terminal without echo; "" when there is no way to ask.
std::string passphrase(const StoreToolOptions& o) {
    if (o.passphraseFile) {
        std::ifstream in(*o.passphraseFile);
        std::string line;
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (const char* env = std::getenv("PELMORA_BACKUP_PASSPHRASE")) return env;
    if (!::isatty(STDIN_FILENO)) return {};
    std::cerr << "백업 암호: " << std::flush;
    termios old{};
    ::tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    std::string line;
    std::getline(std::cin, line);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::cerr << "\n";
    return line;
}

std::string shownStamp(const std::string& created) {
    if (created.size() != 14) return created;
    return created.substr(0, 4) + "-" + created.substr(4, 2) + "-" + created.substr(6, 2) + " " +
           created.substr(8, 2) + ":" + created.substr(10, 2) + ":" + created.substr(12, 2);
}

std::string megabytes(std::uintmax_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return buf;
}
} // namespace

int RunTotals(const StoreToolOptions& o) {
    auto cn = openStore(o, false);
    if (!cn) return fail("처방 자료를 열 수 없습니다: " + o.store().string());
    try {
        const StoreTotals t = ReadStoreTotals(*cn, o.from, o.to);
        if (o.tsv)
            WriteTotalsTsv(std::cout, t);
        else
            WriteTotalsJson(std::cout, t, o.from, o.to);
    } catch (const DbError& e) {
        return fail("집계를 읽지 못하였습니다: " + e.description());
    }
    return 0;
}

int RunYearEnd(const StoreToolOptions& o) {
    auto cn = openStore(o, false);
    if (!cn) return fail("처방 자료를 열 수 없습니다: " + o.store().string());
    try {
        const YearEndReport r = ReadYearEnd(*cn, o.year);
        if (o.tsv)
            WriteYearEndTsv(std::cout, r);
        else
            WriteYearEndJson(std::cout, r, o.year);
    } catch (const DbError& e) {
        return fail("연말정산 자료를 읽지 못하였습니다: " + e.description());
    }
    return 0;
}

int RunBackup(const StoreToolOptions& o) {
    if (!openStore(o, false)) return fail("처방 자료를 열 수 없습니다: " + o.store().string());
    try {
        TerminalProgress progress;
        const BackupDone done = MakeBackup(o.store(), settingsOf(o), progress.callback());
        progress.done();
        BackupSettings::recordSuccess(SettingsFileOf(o.store()), done.entry.created,
                                      done.entry.file.filename().string());
        std::cout << done.entry.file.string() << "\n";
        std::cerr << shownStamp(done.entry.created) << " 백업하였습니다: 처방 " << done.prescriptions
                  << "건, " << megabytes(done.entry.bytes) << (done.pruned.empty() ? "" : ", 오래된 백업 ")
                  << (done.pruned.empty() ? "" : std::to_string(done.pruned.size()) + "개 정리") << "\n";
        if (done.unencrypted)
            std::cerr << "경고: 백업 암호가 정해지지 않아 암호 없이 백업하였습니다. 주민등록번호가 그대로 "
                         "들어 있습니다.\n";
    } catch (const BackupError& e) {
        return fail(e.text());
    }
    return 0;
}

int RunVerify(const StoreToolOptions& o) {
    try {
        const std::string pass = IsEncryptedBackup(o.file) ? passphrase(o) : "";
        std::error_code ec; // the check's scratch copy goes beside the store, on a new machine too
        fs::create_directories(o.store().parent_path(), ec);
        TerminalProgress progress;
        const VerifyDone v = VerifyBackup(o.file, pass, o.store().parent_path(), progress.callback());
        progress.done();
        std::cout << "ok\t" << shownStamp(v.created) << "\t" << v.prescriptions() << "\n";
        std::cerr << shownStamp(v.created) << " 백업에 이상이 없습니다: 처방 " << v.prescriptions() << "건\n";
    } catch (const BackupError& e) {
        return fail(e.text());
    }
    return 0;
}

int RunRestore(const StoreToolOptions& o) {
    // A machine that lost its disk has no store yet: one is made to restore into.
    auto cn = openStore(o, true);
    if (!cn) return fail("처방 자료를 열 수 없습니다: " + o.store().string());
    try {
        const std::string pass = IsEncryptedBackup(o.file) ? passphrase(o) : "";
        TerminalProgress progress;
        const RestoreDone r = RestoreBackup(*cn, o.file, pass, progress.callback());
        progress.done();
        std::cerr << shownStamp(r.created) << " 백업을 복원하였습니다: 처방 " << r.prescriptions
                  << "건. 복원 전 자료는 " << r.keptAside.string() << " 에 보관하였습니다.\n";
    } catch (const BackupError& e) {
        return fail(e.text());
    }
    return 0;
}

// One line per backup, newest first: date and time, encrypted or not, size,
// prescriptions (from an encrypted backup's header), file.
int RunList(const StoreToolOptions& o) {
    const BackupSettings s = settingsOf(o);
    if (s.folder.empty()) return fail(BackupError(BackupFault::NoFolder).text());
    std::error_code ec;
    if (!fs::is_directory(s.folder, ec))
        return fail(BackupError(BackupFault::FolderMissing, s.folder).text());
    for (const auto& b : ListBackups(s.folder)) {
        std::string count = "?";
        if (b.encrypted) {
            try {
                count = std::to_string(ReadBackupHeader(b.file).prescriptions());
            } catch (const BackupError&) {
                count = "손상";
            }
        }
        std::cout << shownStamp(b.created) << '\t' << (b.encrypted ? "암호" : "암호없음") << '\t' << b.bytes
                  << '\t' << count << '\t' << b.file.string() << '\n';
    }
    return 0;
}

} // namespace pelmora
