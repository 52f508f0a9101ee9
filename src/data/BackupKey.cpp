#include "BackupKey.h"

#include "BackupError.h"

#include <array>

namespace pelmora {

namespace {
// Bounds on what a key read from a settings file or a backup may ask of
// Argon2id, so a damaged number cannot claim the machine's memory.
constexpr std::uint64_t kMaxOps = 32;
constexpr std::uint64_t kMaxMem = 2ULL << 30;

std::unique_ptr<SecureBytes> seedOf(std::string_view passphrase, const BackupKey& key) {
    std::array<unsigned char, crypto_pwhash_SALTBYTES> salt{};
    FromHex(key.salt, salt.data(), salt.size());
    if (key.opsLimit < crypto_pwhash_OPSLIMIT_MIN || key.opsLimit > kMaxOps ||
        key.memLimit < crypto_pwhash_MEMLIMIT_MIN || key.memLimit > kMaxMem)
        throw BackupError(BackupFault::Damaged, "암호 설정값이 올바르지 않습니다.");
    auto seed = std::make_unique<SecureBytes>(crypto_box_SEEDBYTES);
    if (crypto_pwhash(seed->data(), seed->size(), passphrase.data(), passphrase.size(), salt.data(),
                      key.opsLimit, static_cast<std::size_t>(key.memLimit),
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::bad_alloc(); // the only way it fails: not enough memory
    return seed;
}
} // namespace

void SodiumReady() {
    static const bool ok = sodium_init() >= 0;
    if (!ok) throw BackupError(BackupFault::Io, "암호화 라이브러리를 시작하지 못하였습니다.");
}

std::string ToHex(const unsigned char* data, std::size_t n) {
    std::string hex(n * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), data, n);
    hex.pop_back();
    return hex;
}

void FromHex(const std::string& hex, unsigned char* out, std::size_t n) {
    std::size_t len = 0;
    if (hex.size() != n * 2 || sodium_hex2bin(out, n, hex.data(), hex.size(), nullptr, &len, nullptr) != 0 ||
        len != n)
        throw BackupError(BackupFault::Damaged, "키 값이 올바르지 않습니다.");
}

BackupKey MakeBackupKey(std::string_view passphrase, KeyCost cost) {
    SodiumReady();
    if (passphrase.empty()) throw BackupError(BackupFault::NeedPassphrase);
    BackupKey key;
    std::array<unsigned char, crypto_pwhash_SALTBYTES> salt{};
    randombytes_buf(salt.data(), salt.size());
    key.salt = ToHex(salt.data(), salt.size());
    key.opsLimit = cost == KeyCost::Moderate ? crypto_pwhash_OPSLIMIT_MODERATE : crypto_pwhash_OPSLIMIT_MIN;
    key.memLimit = cost == KeyCost::Moderate ? crypto_pwhash_MEMLIMIT_MODERATE : crypto_pwhash_MEMLIMIT_MIN;
    const auto seed = seedOf(passphrase, key);
    std::array<unsigned char, crypto_box_PUBLICKEYBYTES> pk{};
    SecureBytes sk(crypto_box_SECRETKEYBYTES);
    crypto_box_seed_keypair(pk.data(), sk.data(), seed->data());
    key.publicKey = ToHex(pk.data(), pk.size());
    return key;
}

std::unique_ptr<SecureBytes> UnlockBackupKey(std::string_view passphrase, const BackupKey& key) {
    SodiumReady();
    std::array<unsigned char, crypto_box_PUBLICKEYBYTES> want{}, pk{};
    FromHex(key.publicKey, want.data(), want.size());
    const auto seed = seedOf(passphrase, key);
    auto sk = std::make_unique<SecureBytes>(crypto_box_SECRETKEYBYTES);
    crypto_box_seed_keypair(pk.data(), sk->data(), seed->data());
    if (sodium_memcmp(pk.data(), want.data(), pk.size()) != 0) return nullptr;
    return sk;
}

} // namespace pelmora
