#pragma once
// The key of encrypted backups. The pharmacist's passphrase, stretched with
// Argon2id, seeds a key pair; the settings keep only its public half with the
// salt and the costs of the stretching, never the passphrase. A backup is
// written with the public half alone (at closing, from cron, without asking)
// and opened only by someone who types the passphrase: nothing kept on this
// machine or on the backup medium opens a backup without it.

#include "SecureBytes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pelmora {

struct BackupKey {
    std::string publicKey; // hex
    std::string salt;      // hex
    std::uint64_t opsLimit = 0;
    std::uint64_t memLimit = 0; // bytes

    bool empty() const { return publicKey.empty(); }
    friend bool operator==(const BackupKey&, const BackupKey&) = default;
};

// How hard the passphrase is stretched: Moderate for every real key (about a
// second and 256 MB, once per restore); Minimal only for tests.
enum class KeyCost { Moderate, Minimal };

// A new key for a passphrase, with a fresh salt. Raises on an empty passphrase.
BackupKey MakeBackupKey(std::string_view passphrase, KeyCost cost = KeyCost::Moderate);

// The secret half for the passphrase; nullptr when the passphrase does not
// give the key's public half (a wrong passphrase). Raises BackupError
// (Damaged) when the key's own fields are not ones this program writes.
std::unique_ptr<SecureBytes> UnlockBackupKey(std::string_view passphrase, const BackupKey& key);

// Binary to lower-case hex and back; fromHex raises BackupError (Damaged)
// unless the text is exactly n bytes of hex.
std::string ToHex(const unsigned char* data, std::size_t n);
void FromHex(const std::string& hex, unsigned char* out, std::size_t n);

// libsodium's start, once per process; raises when the library cannot run.
void SodiumReady();

} // namespace pelmora
