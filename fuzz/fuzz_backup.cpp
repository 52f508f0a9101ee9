// A backup file is read back from a USB stick that may hold anything. Any
// bytes given as a backup must be checked the way a restore checks it (the
// container and its header, the key unlocked with the passphrase, the
// decryption, then the store copy's integrity and row counts) and end in a
// result or a BackupError: never a crash, a hang, an allocation the
// header's sizes ask for, or a read out of range.
//
// The target knows the passphrase of its seeds, so mutated backups get past
// the key and reach the decryption and the store check, and plain backups
// (a store file as it is) reach the check at once. With PELMORA_FUZZ_SEEDS
// set to a folder it writes those seeds there and stops.

#include "FuzzInput.h"
#include "data/BackupError.h"
#include "data/BackupKey.h"
#include "data/BackupSettings.h"
#include "data/LocalStore.h"
#include "data/SqliteConnection.h"
#include "data/StoreBackup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr const char* kPassphrase = "퍼징 약국 백업";

// A small store with one prescription; small pages keep the seeds small.
std::filesystem::path smallStore(const std::filesystem::path& dir) {
    const auto file = dir / "Pelmo.db";
    std::filesystem::remove(file);
    pelmora::SqliteConnection::create(file.string())->executeScript("PRAGMA page_size = 512; VACUUM;");
    std::unique_ptr<pelmora::SqliteConnection> cn;
    if (!pelmora::OpenLocalStore(cn, file.string())) std::abort();
    cn->executeScript(
        "INSERT INTO Main (vcPreCd, vcPreDt, vcPreTm) VALUES ('2025010501', '20250105', '093000');");
    return file;
}

void writeSeeds(const std::filesystem::path& out) {
    namespace fs = std::filesystem;
    const auto work = pelmora::fuzz::scratch() / "seeds";
    fs::create_directories(work / "media");
    fs::create_directories(out);
    const auto store = smallStore(work);
    pelmora::BackupSettings s;
    s.folder = (work / "media").string();
    fs::copy_file(pelmora::MakeBackup(store, s, {}, [](const fs::path&) { return false; }).entry.file,
                  out / "plain.db", fs::copy_options::overwrite_existing);
    s.key = pelmora::MakeBackupKey(kPassphrase, pelmora::KeyCost::Minimal);
    fs::copy_file(pelmora::MakeBackup(store, s).entry.file, out / "encrypted.pbk",
                  fs::copy_options::overwrite_existing);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pelmora::SodiumReady();
    if (const char* out = std::getenv("PELMORA_FUZZ_SEEDS")) {
        writeSeeds(out);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = pelmora::fuzz::writeInput("Pelmo-20250105-183000.pbk", data, size);
    try {
        pelmora::VerifyBackup(file, kPassphrase, pelmora::fuzz::scratch());
    } catch (const pelmora::BackupError&) {
    }
    return 0;
}
