#include "LinkDatabase.h"

#include "DrugSearchIndex.h"
#include "DrugSearchList.h"
#include "LinkRecord.h"
#include "RefSql.h"
#include "SqliteConnection.h"
#include "util/Messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

constexpr const char* kTempPrefix = "Pelmora.db.tmp-";

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

[[noreturn]] void cannot(const std::string& what, const fs::path& p, int err) {
    throw DbError(dberr::kCannotOpen, p.string() + " " + what + " (" + std::strerror(err) + ")");
}

// The build lock, held while a link database is written.
class BuildLock {
  public:
    BuildLock(const fs::path& root, const LinkProgressFn& progress) {
        const fs::path lock = LinkDatabase::lockPath(root);
        fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) cannot("파일을 열 수 없습니다.", lock, errno);
        const auto until = std::chrono::steady_clock::now() + LinkDatabase::lockWait;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err != EWOULDBLOCK) {
                ::close(fd_);
                cannot("파일을 잠글 수 없습니다.", lock, err);
            }
            if (std::chrono::steady_clock::now() >= until) {
                ::close(fd_);
                throw DbError(dberr::kBusy, "다른 Pelmora가 참조 자료 링크 파일을 만들고 있어 끝나기를 "
                                            "기다렸으나 끝나지 않았습니다.");
            }
            if (progress) progress({LinkProgress::Phase::Waiting, 0, "", 0});
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~BuildLock() { ::close(fd_); } // closing releases the flock
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

  private:
    int fd_ = -1;
};

// Temporary files of builds that died; only while no build runs.
void removeLeftovers(const fs::path& root) {
    const int fd = ::open(LinkDatabase::lockPath(root).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(ReferenceFiles::dataFolder(root), ec))
            if (entry.path().filename().string().rfind(kTempPrefix, 0) == 0) removeQuietly(entry.path());
    }
    ::close(fd);
}

// The link database under root when it matches the files as they are now.
std::shared_ptr<SqliteConnection> reusable(const fs::path& root, ReferenceStamps& stamps) {
    const fs::path target = ReferenceFiles::linkDatabase(root);
    std::error_code ec;
    if (!fs::is_regular_file(target, ec)) return nullptr;
    try {
        std::shared_ptr<SqliteConnection> db =
            SqliteConnection::open(target.string(), SqliteConnection::OpenMode::ReadOnly);
        auto recorded = LinkRecord::read(*db);
        if (!recorded || !(*recorded == ReferenceStamps::read(root))) return nullptr;
        stamps = *recorded;
        return db;
    } catch (const std::exception&) {
        return nullptr; // damaged: built again
    }
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool LinkDatabase::isCopied(const std::string& tableName) {
    std::string u = upper(tableName);
    return u.find("SYS") == std::string::npos && u.rfind("SQLITE_", 0) != 0;
}

fs::path LinkDatabase::lockPath(const fs::path& root) {
    return ReferenceFiles::dataFolder(root) / "Pelmora.db.lock";
}

std::vector<fs::path> LinkDatabase::missingFiles(const fs::path& root) {
    std::vector<fs::path> missing;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        std::error_code ec;
        if (!fs::is_regular_file(ReferenceFiles::file(root, i), ec))
            missing.push_back(ReferenceFiles::file(root, i));
    }
    return missing;
}

LinkDatabase::~LinkDatabase() = default;

ReferenceStamps LinkDatabase::build(const fs::path& root, bool force, const LinkProgressFn& progress,
                                    LinkStats& stats, bool& built) {
    const fs::path data = ReferenceFiles::dataFolder(root);
    std::error_code ec;
    fs::create_directories(data, ec);
    if (ec || !fs::is_directory(data)) cannot("폴더를 만들 수 없습니다.", data, ec ? ec.value() : ENOTDIR);

    BuildLock lock(root, progress);
    ReferenceStamps stamps;
    built = false;
    // Another running copy may have built it while this one waited.
    if (!force && reusable(root, stamps)) return stamps;

    // Holding the lock, a temporary file left here is from a build that died.
    for (const auto& entry : fs::directory_iterator(data, ec))
        if (entry.path().filename().string().rfind(kTempPrefix, 0) == 0) removeQuietly(entry.path());
    std::string pattern = (data / (std::string(kTempPrefix) + "XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) cannot("파일을 만들 수 없습니다.", pattern, errno);
    ::close(fd);
    const fs::path temp = pattern, target = ReferenceFiles::linkDatabase(root);
    try {
        // Taken before any file is read: a file written during the build then
        // differs from its record, and the next check builds again.
        stamps = ReferenceStamps::read(root);
        LinkBuilder builder(temp, progress);
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
            builder.copyFile(i, ReferenceFiles::file(root, i));
        builder.finish(stamps);
        stats = builder.stats();
    } catch (...) {
        removeQuietly(temp);
        ::malloc_trim(0);
        throw;
    }
    // A journal left beside the old file would be applied to the new one.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        removeQuietly(target.string() + suffix);
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        removeQuietly(temp);
        cannot("파일을 바꿀 수 없습니다.", target, err);
    }
    syncFolder(data);
    // The build's caches are freed; give the memory back to the system.
    ::malloc_trim(0);
    built = true;
    return stamps;
}

void LinkDatabase::take(std::shared_ptr<SqliteConnection> db, const ReferenceStamps& stamps) {
    // The file is never written in place (a new one is renamed over it), so
    // one read transaction may last as long as the connection: no statement
    // then pays for taking and checking the file lock again.
    db->executeScript("PRAGMA cache_size=-8192; BEGIN; SELECT count(*) FROM sqlite_master");
    db_ = std::move(db);
    stamps_ = stamps;
    search_.reset();
    searchLoaded_ = false;
    damaged_ = false;
}

std::unique_ptr<LinkDatabase> LinkDatabase::open(const fs::path& root, const LinkProgressFn& progress) {
    std::unique_ptr<LinkDatabase> link(new LinkDatabase);
    link->root_ = root;
    link->path_ = ReferenceFiles::linkDatabase(root);
    ReferenceStamps stamps;
    if (auto db = reusable(root, stamps)) {
        link->take(std::move(db), stamps);
        removeLeftovers(root);
        return link;
    }
    return rebuild(root, progress);
}

std::unique_ptr<LinkDatabase> LinkDatabase::rebuild(const fs::path& root, const LinkProgressFn& progress) {
    std::unique_ptr<LinkDatabase> link(new LinkDatabase);
    link->root_ = root;
    link->path_ = ReferenceFiles::linkDatabase(root);
    const ReferenceStamps stamps = build(root, true, progress, link->stats_, link->built_);
    link->take(SqliteConnection::open(link->path_.string(), SqliteConnection::OpenMode::ReadOnly), stamps);
    return link;
}

bool LinkDatabase::stale() const {
    return damaged_ || !(ReferenceStamps::read(root_) == stamps_);
}

LinkDatabase::Refresh LinkDatabase::refresh(const LinkProgressFn& progress, std::string* why) {
    if (!stale()) return Refresh::Current;
    const ReferenceStamps now = ReferenceStamps::read(root_);
    if (failed_ && *failed_ == now) {
        if (why) *why = failedWhy_;
        return Refresh::Kept;
    }
    try {
        const auto missing = missingFiles(root_);
        if (!missing.empty())
            throw DbError(dberr::kCannotOpen, missing.front().string() + " 파일을 찾을 수 없습니다.");
        LinkStats stats;
        bool built = false;
        const ReferenceStamps stamps = build(root_, damaged_, progress, stats, built);
        take(SqliteConnection::open(path_.string(), SqliteConnection::OpenMode::ReadOnly), stamps);
        stats_ = stats;
        built_ = built;
        failed_.reset();
        return Refresh::Rebuilt;
    } catch (const std::exception& e) {
        failed_ = now;
        failedWhy_ = e.what();
        if (why) *why = failedWhy_;
        return Refresh::Failed;
    }
}

RecordSet LinkDatabase::query(const std::string& sql, const std::vector<RefParam>& params) {
    std::vector<Variant> values;
    values.reserve(params.size());
    for (const auto& p : params)
        values.emplace_back(p.value);
    try {
        return db_->query(sql, values);
    } catch (const DbError& e) {
        // A damaged page: the next refresh builds the link database again.
        if (e.number() == dberr::kNotADatabase) damaged_ = true;
        throw;
    }
}

std::unique_ptr<DrugSearchList> LinkDatabase::drugSearch(const std::string& date, int yakSn,
                                                         const std::string& text) {
    if (!searchLoaded_) {
        searchLoaded_ = true;
        try {
            search_ = DrugSearchIndex::load(*db_);
        } catch (const DbError& e) {
            if (e.number() == dberr::kNotADatabase) damaged_ = true;
            search_.reset(); // the query still serves
        }
    }
    if (!search_) return nullptr;
    auto ids = search_->find(date, yakSn, text);
    if (!ids) return nullptr;
    return std::make_unique<IndexedDrugList>(db_, search_->rowid(), std::move(*ids));
}

bool ConnectLocalMdb(const fs::path& root, std::unique_ptr<LinkDatabase>& cnMdb, std::string* why,
                     const LinkProgressFn& progress) {
    const auto missing = LinkDatabase::missingFiles(root);
    if (!missing.empty()) {
        std::string list;
        for (const auto& m : missing)
            list += "\r\n" + m.string();
        if (why) *why = "참조 파일을 찾을 수 없습니다:" + list;
        messages().plain("로컬 연결에 필요한 MDB데이터를 찾을수 없습니다.\r\n\r\n찾을 수 없는 파일:" + list,
                         kAppTitle);
        return false;
    }
    cnMdb.reset();
    try {
        cnMdb = LinkDatabase::open(root, progress);
        return true;
    } catch (const std::exception& e) {
        if (why) *why = e.what();
        return false;
    }
}

} // namespace pelmora
