#include "ReferenceFileWriter.h"

#include "ImportError.h"
#include "ReferenceFiles.h"
#include "SqliteConnection.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

[[noreturn]] void diskFailure(const std::string& what, const fs::path& path) {
    throw ImportError(ImportError::Kind::Failed, what + " (" + path.string() + "): " + std::strerror(errno));
}

// Opens and locks the new file. A writer that locked the name just before
// it was renamed over the reference file holds the old inode: it looks
// again, so nobody ever truncates a file that is already in use.
int lockNewFile(const fs::path& temp) {
    for (;;) {
        const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) diskFailure("새 참조 파일을 만들 수 없습니다", temp);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw ImportError(ImportError::Kind::Busy,
                              "다른 프로그램이 " + temp.stem().string() +
                                  " 파일을 고치고 있습니다. 끝난 뒤에 다시 하십시오.");
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(temp.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            // what is left of an interrupted writer is thrown away
            if (::ftruncate(fd, 0) != 0) diskFailure("새 참조 파일을 비울 수 없습니다", temp);
            return fd;
        }
        ::close(fd);
    }
}

void copyInto(SqliteConnection& to, const fs::path& from) {
    auto source = SqliteConnection::open(from.string(), SqliteConnection::OpenMode::ReadOnly);
    sqlite3_backup* b = sqlite3_backup_init(to.handle(), "main", source->handle(), "main");
    if (!b) throw sqliteError(sqlite3_errcode(to.handle()), sqlite3_errmsg(to.handle()));
    const int step = sqlite3_backup_step(b, -1);
    const int rc = sqlite3_backup_finish(b);
    if (step != SQLITE_DONE || rc != SQLITE_OK)
        throw sqliteError(step != SQLITE_DONE ? step : rc, sqlite3_errmsg(to.handle()));
}

} // namespace

ReferenceFileWriter::ReferenceFileWriter(const fs::path& root, std::size_t index, From from)
    : target_(ReferenceFiles::file(root, index)), temp_(target_.string() + ".new") {
    if (from == From::Current && !fs::exists(target_))
        throw ImportError(ImportError::Kind::NoRoot,
                          target_.string() + " 파일이 없습니다. 참조 파일을 먼저 만드십시오.");
    fs::create_directories(target_.parent_path());
    lockFd_ = lockNewFile(temp_);
    try {
        db_ = SqliteConnection::create(temp_.string());
        if (from == From::Current) copyInto(*db_, target_);
        // an unfinished file is thrown away, so it needs no journal; commit()
        // puts the finished one on disk before it takes the file's name
        db_->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        if (from == From::Empty) ReferenceFiles::createSchema(*db_, index);
        db_->begin();
    } catch (...) {
        discard();
        throw;
    }
}

ReferenceFileWriter::~ReferenceFileWriter() {
    if (!done_) discard();
}

void ReferenceFileWriter::discard() noexcept {
    db_.reset();
    if (lockFd_ >= 0) {
        std::error_code ec;
        fs::remove(temp_, ec); // the name is ours while the lock is held
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void ReferenceFileWriter::commit() {
    db_->commit();
    db_.reset();
    struct stat old {};
    const mode_t mode = ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(lockFd_, mode) != 0 || ::fsync(lockFd_) != 0)
        diskFailure("새 참조 파일을 저장할 수 없습니다", temp_);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) diskFailure("참조 파일을 바꿀 수 없습니다", target_);
    done_ = true;
    // the rename itself reaches the disk with the folder
    if (const int dir = ::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    ::close(lockFd_);
    lockFd_ = -1;
}

} // namespace pelmora
