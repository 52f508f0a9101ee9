#include "StoreBackup.h"

#include "BackupFile.h"
#include "RemovableMedia.h"
#include "util/Clock.h"

#include <chrono>
#include <regex>
#include <set>
#include <unistd.h>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
const std::regex& backupName() {
    static const std::regex re(R"(Pelmo-(\d{8})-(\d{6})(-\d+)?\.(pbk|db))");
    return re;
}

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

// What a killed backup leaves: its scratch copy, a half-written file.
void removeLeftovers(const fs::path& scratch, const fs::path& folder) {
    for (const char* suffix : {"", "-journal"})
        removeQuietly(scratch.string() + suffix);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (name.ends_with(".partial") && std::regex_match(name.substr(0, name.size() - 8), backupName()))
            removeQuietly(e.path());
    }
}

fs::path freeName(const fs::path& folder, const std::string& stamp, const char* ext) {
    fs::path p = folder / ("Pelmo-" + stamp + ext);
    for (int n = 1; fs::exists(p) || fs::exists(p.string() + ".partial"); ++n)
        p = folder / ("Pelmo-" + stamp + "-" + std::to_string(n) + ext);
    return p;
}

std::chrono::sys_days dayOf(const std::string& yyyymmdd) {
    using namespace std::chrono;
    return sys_days(year(std::stoi(yyyymmdd.substr(0, 4))) / month(std::stoul(yyyymmdd.substr(4, 2))) /
                    day(std::stoul(yyyymmdd.substr(6, 2))));
}

// The copy inside one read transaction of the source, with the rows it held.
std::map<std::string, long long> snapshot(const fs::path& store, const fs::path& scratch,
                                          const BackupProgress& progress) {
    try {
        auto src = SqliteConnection::open(store.string());
        auto copy = SqliteConnection::create(scratch.string());
        src->begin();
        auto counts = StoreCounts(*src);
        const bool done = src->copyTo(*copy, [&](long long d, long long t) {
            return !progress || progress(BackupStep::Copy, t > 0 ? static_cast<double>(d) / t : 0);
        });
        src->rollback();
        if (!done) throw BackupError(BackupFault::Cancelled);
        return counts;
    } catch (const DbError& e) {
        throw BackupError(BackupFault::StoreFailed, e.description());
    }
}
} // namespace

const char* BackupStepText(BackupStep step) {
    switch (step) {
    case BackupStep::Copy:
        return "처방 자료 복사";
    case BackupStep::Check:
        return "복사본 검사";
    case BackupStep::Write:
        return "백업 파일 기록";
    case BackupStep::Verify:
        return "백업 파일 확인";
    case BackupStep::Decrypt:
        return "백업 파일 풀기";
    case BackupStep::KeepAside:
        return "현재 자료 따로 보관";
    case BackupStep::Restore:
        return "복원";
    }
    return "";
}

long long VerifyDone::prescriptions() const {
    const auto it = counts.find("Main");
    return it == counts.end() ? 0 : it->second;
}

std::string BackupStamp() {
    const LocalDateTime now = Clock::now();
    return now.yyyymmdd() + "-" + now.hhmmss();
}

std::map<std::string, long long> StoreCounts(SqliteConnection& cn) {
    std::vector<std::string> tables;
    cn.each("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
            " ORDER BY name",
            {}, [&](const SqliteRow& row) { tables.push_back(row.text(0)); });
    std::map<std::string, long long> counts;
    for (const auto& t : tables) {
        std::string quoted = "\"";
        for (char c : t)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        cn.each("SELECT count(*) FROM " + quoted + "\"", {},
                [&](const SqliteRow& row) { counts[t] = row.int64(0); });
    }
    return counts;
}

std::map<std::string, long long> CheckStoreCopy(const fs::path& copy,
                                                const std::map<std::string, long long>* expected,
                                                const BackupProgress& progress) {
    std::map<std::string, long long> counts;
    bool stopped = false;
    try {
        auto cn = SqliteConnection::open(copy.string());
        // integrity_check reads the whole file: the progress window lives meanwhile.
        cn->setStatementProgress([&] {
            if (progress && !progress(BackupStep::Check, -1)) stopped = true;
            return !stopped;
        });
        std::vector<std::string> problems;
        cn->each("PRAGMA integrity_check", {},
                 [&](const SqliteRow& row) { problems.push_back(row.text(0)); });
        if (problems.size() != 1 || problems[0] != "ok")
            throw BackupError(BackupFault::CheckFailed, problems.empty() ? "" : problems[0]);
        counts = StoreCounts(*cn);
    } catch (const DbError& e) {
        if (stopped) throw BackupError(BackupFault::Cancelled);
        throw BackupError(BackupFault::CheckFailed, e.description());
    }
    if (counts.find("Main") == counts.end())
        throw BackupError(BackupFault::CheckFailed, "처방 표가 없습니다.");
    if (expected && counts != *expected) {
        std::string diff;
        for (const auto& [t, n] : *expected)
            if (counts[t] != n)
                diff += t + " " + std::to_string(n) + " → " + std::to_string(counts[t]) + "건\n";
        throw BackupError(BackupFault::CountsDiffer, diff);
    }
    return counts;
}

std::vector<BackupEntry> ListBackups(const fs::path& folder) {
    std::vector<BackupEntry> list;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::smatch m;
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file(ec) || !std::regex_match(name, m, backupName())) continue;
        list.push_back({e.path(), m[1].str() + m[2].str(), m[4] == "pbk", e.file_size(ec)});
    }
    std::sort(list.begin(), list.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.created != b.created ? a.created > b.created : a.file.filename() > b.file.filename();
    });
    return list;
}

std::vector<fs::path> PruneBackups(const fs::path& folder, const std::string& today, int keepDays,
                                   int keepWeeks) {
    const auto list = ListBackups(folder); // newest first
    const auto now = dayOf(today);
    std::set<fs::path> keep;
    std::set<long> daysTaken, weeksTaken;
    for (const auto& b : list) {
        const long age = (now - dayOf(b.created.substr(0, 8))).count();
        // The newest, and whatever claims a date still to come, stay.
        bool kept = keep.empty() || age < 0;
        if (age >= 0 && age < keepDays && daysTaken.insert(age).second) kept = true;
        if (age >= 0 && age / 7 < keepWeeks && weeksTaken.insert(age / 7).second) kept = true;
        if (kept) keep.insert(b.file);
    }
    std::vector<fs::path> removed;
    for (const auto& b : list)
        if (!keep.count(b.file)) {
            std::error_code ec;
            if (fs::remove(b.file, ec)) removed.push_back(b.file);
        }
    if (!removed.empty()) SyncFolder(folder);
    return removed;
}

BackupDone MakeBackup(const fs::path& store, const BackupSettings& settings, const BackupProgress& progress,
                      const std::function<bool(const fs::path&)>& removable) {
    if (settings.folder.empty()) throw BackupError(BackupFault::NoFolder);
    const fs::path folder = settings.folder;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw BackupError(BackupFault::FolderMissing, folder.string());
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw BackupError(BackupFault::FolderNotWritable, folder.string());
    const bool encrypt = !settings.key.empty();
    if (!encrypt && (removable ? removable(folder) : IsRemovableMedia(folder)))
        throw BackupError(BackupFault::RemovableNoKey, folder.string());

    const fs::path scratch = store.string() + ".backup-tmp";
    removeLeftovers(scratch, folder);
    const std::string stamp = BackupStamp();
    BackupDone done;
    try {
        const auto counts = snapshot(store, scratch, progress);
        CheckStoreCopy(scratch, &counts, progress);
        BackupHeader header;
        header.created = stamp.substr(0, 8) + stamp.substr(9);
        header.counts = counts;
        header.key = settings.key;
        {
            auto cn = SqliteConnection::open(scratch.string(), SqliteConnection::OpenMode::ReadOnly);
            auto rs = cn->query("SELECT max(vcVerSn) AS v FROM Dbver");
            header.storeVersion = rs.eof() ? "" : rs.field(0).toText();
        }
        const fs::path target = freeName(folder, stamp, encrypt ? ".pbk" : ".db");
        const fs::path partial = target.string() + ".partial";
        // The file is written, then read back: each half of the bytes is a step.
        const ByteProgress bytes = [&](std::uint64_t d, std::uint64_t t) {
            const double f = t ? 2.0 * static_cast<double>(d) / static_cast<double>(t) : 0;
            return !progress ||
                   (f <= 1 ? progress(BackupStep::Write, f) : progress(BackupStep::Verify, f - 1));
        };
        if (encrypt)
            WriteEncryptedBackup(scratch, partial, header, bytes);
        else
            WritePlainBackup(scratch, partial, bytes);
        fs::rename(partial, target, ec);
        if (ec) throw BackupError(BackupFault::Io, target.string() + ": " + ec.message());
        SyncFolder(folder);
        done.entry = {target, header.created, encrypt, fs::file_size(target, ec)};
        done.prescriptions = header.prescriptions();
        done.unencrypted = !encrypt;
    } catch (...) {
        removeLeftovers(scratch, folder);
        throw;
    }
    removeLeftovers(scratch, folder);
    done.pruned = PruneBackups(folder, stamp.substr(0, 8), settings.keepDays, settings.keepWeeks);
    return done;
}

} // namespace pelmora
