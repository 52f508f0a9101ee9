#pragma once
// The backup file. An encrypted backup is
//
//   "PELMOBK" 0x01 | header length (4 bytes, little-endian) | header (JSON)
//   | the store copy in chunks of libsodium's secretstream (XChaCha20-Poly1305)
//
// The header says when the copy was made, the rows of each table, the public
// key it was written for with the salt and costs that derive its secret half
// from the passphrase, the stream key sealed to that public key (a fresh
// random key per backup), and the stream's own header. The first chunk
// authenticates the header, the last carries the stream's final tag, so a
// changed byte anywhere, a cut file or bytes added after the end are all
// refused. A plain backup (no passphrase set) is the store copy as it is.

#include "BackupKey.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace pelmora {

struct BackupHeader {
    std::string created;                     // YYYYMMDDHHMMSS
    std::string storeVersion;                // of the copy
    std::uint64_t bytes = 0;                 // size of the copy
    std::map<std::string, long long> counts; // rows per table of the copy
    BackupKey key;                           // the key it was written for
    std::string sealedKey, streamHeader;     // hex
    std::uint32_t chunk = 1u << 20;          // bytes of the copy per chunk

    long long prescriptions() const;
};

// Told the bytes done of the bytes in all; answering false stops the work.
using ByteProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Writes the store copy at plain to out, encrypted for header.key (created,
// storeVersion and counts as the caller gives them). The file is then synced,
// dropped from the page cache, read back from the medium and decrypted with
// the stream key still held in memory: it must give the copy back byte for
// byte. Raises BackupError; out may then be half written.
void WriteEncryptedBackup(const std::filesystem::path& plain, const std::filesystem::path& out,
                          BackupHeader header, const ByteProgress& progress);

// Copies the store copy to out as it is, synced and read back the same way.
void WritePlainBackup(const std::filesystem::path& plain, const std::filesystem::path& out,
                      const ByteProgress& progress);

// True when the file begins like an encrypted backup.
bool IsEncryptedBackup(const std::filesystem::path& file);

// The header of an encrypted backup; raises BackupError (NotABackup, Damaged,
// Truncated, Unsupported). Its fields are authenticated only by decrypting.
BackupHeader ReadBackupHeader(const std::filesystem::path& file);

// Decrypts the backup with the secret half of its key into out (a new file
// readable by the owner only). Raises BackupError: Damaged for any changed
// byte, Truncated for a cut file, WrongPassphrase when the key does not open
// the sealed stream key.
void DecryptBackup(const std::filesystem::path& file, const SecureBytes& secretKey,
                   const std::filesystem::path& out, const ByteProgress& progress);

// Makes a rename or a removal in the folder survive a power cut.
void SyncFolder(const std::filesystem::path& folder);

} // namespace pelmora
