// A backup file is read back from a USB stick that may hold anything: any
// bytes must give a header or BackupError, and decrypting them must end in
// BackupError (no key opens a stream key it did not seal), never a crash, a
// hang, an allocation the header's sizes ask for, or a read out of range.

#include "data/BackupError.h"
#include "data/BackupFile.h"
#include "data/SecureBytes.h"

#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& folder() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("pelmora-fuzz-backup-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return sodium_init() < 0 ? 1 : 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = folder() / "Pelmo.pbk", out = folder() / "Pelmo.db";
    {
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::error_code ec;
    std::filesystem::remove(out, ec);
    try {
        if (!pelmora::IsEncryptedBackup(file)) return 0;
        const pelmora::BackupHeader header = pelmora::ReadBackupHeader(file);
        pelmora::SecureBytes secret(crypto_box_SECRETKEYBYTES);
        std::memset(secret.data(), 0x5a, secret.size());
        pelmora::DecryptBackup(file, secret, out, {});
        __builtin_trap(); // a key that sealed nothing opened the stream
    } catch (const pelmora::BackupError&) {
    }
    return 0;
}
