// The six reference files are SQLite files other programs write; a damaged
// or hostile one must stop the rebuild of the link database with a DbError
// that names the file, never crash, hang, run anything the file holds, or
// touch another file. The input's first byte picks which of the six it
// stands for, the rest is that file; the other five are small sound files.
// With PELMORA_FUZZ_SEEDS set to a folder the target writes one seed per
// file there (its sound file with the byte before it) and stops.

#include "FuzzInput.h"
#include "data/DbError.h"
#include "data/LinkBuilder.h"
#include "data/ReferenceFiles.h"
#include "data/ReferenceStamps.h"
#include "data/SqliteConnection.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using pelmora::ReferenceFiles;

// One or two rows of each file, in small pages.
const std::array<const char*, ReferenceFiles::kCount> kRows = {
    "INSERT INTO DBF심평원수 VALUES ('Z1000', '약국관리료', 520, '20000101'),"
    " ('Z2000030', '조제기본료 토요', 410.25, '20130101');",
    "INSERT INTO DBF심평원약 VALUES ('641900010', 'A01', '타이레놀정500mg(내복)', '한국얀센', '1정', '급여',"
    " 51, '114', '149402ATB', 'N', '20240101', '99991231');"
    "INSERT INTO 고시적용일 VALUES ('20240101');",
    "INSERT INTO 공휴일 VALUES ('20240101', '신정');",
    "INSERT INTO 병원종병 VALUES ('12345678', '서울', '1', 30, '20000101', '99991231');",
    "INSERT INTO 특정기호 VALUES ('V252', '본인', 10, '20000101');",
    "INSERT INTO 팩단위약 VALUES ('641900010');"};

const fs::path& soundRoot() {
    static const fs::path root = [] {
        const fs::path r = pelmora::fuzz::scratch() / "root";
        fs::create_directories(ReferenceFiles::folder(r));
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            const fs::path f = ReferenceFiles::file(r, i);
            fs::remove(f);
            auto db = pelmora::SqliteConnection::create(f.string());
            db->executeScript("PRAGMA page_size = 512; VACUUM;");
            ReferenceFiles::createSchema(*db, i);
            db->executeScript(kRows[i]);
        }
        return r;
    }();
    return root;
}

void writeSeeds(const fs::path& out) {
    fs::create_directories(out);
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        std::ifstream in(ReferenceFiles::file(soundRoot(), i), std::ios::binary);
        std::ofstream seed(out / ("file-" + std::to_string(i)), std::ios::binary | std::ios::trunc);
        seed.put(static_cast<char>(i));
        seed << in.rdbuf();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* out = std::getenv("PELMORA_FUZZ_SEEDS")) {
        writeSeeds(out);
        std::exit(0);
    }
    soundRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t index = data[0] % ReferenceFiles::kCount;
    const fs::path fuzzed = pelmora::fuzz::writeInput(ReferenceFiles::names()[index], data + 1, size - 1);
    const fs::path target = pelmora::fuzz::scratch() / "Pelmora.db";
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        fs::remove(target.string() + suffix, ec);
    try {
        pelmora::LinkBuilder builder(target, {});
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
            builder.copyFile(i, i == index ? fuzzed : ReferenceFiles::file(soundRoot(), i));
        builder.finish(pelmora::ReferenceStamps{});
    } catch (const pelmora::DbError&) {
    }
    // The rebuild only reads the reference files.
    static const pelmora::ReferenceStamps before = pelmora::ReferenceStamps::read(soundRoot());
    if (!(pelmora::ReferenceStamps::read(soundRoot()) == before))
        pelmora::fuzz::fault("a reference file changed");
    return 0;
}
