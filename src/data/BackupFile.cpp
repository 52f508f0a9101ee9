#include "BackupFile.h"

#include "BackupError.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
constexpr std::array<unsigned char, 8> kMagic = {'P', 'E', 'L', 'M', 'O', 'B', 'K', 1};
constexpr int kFormat = 1;
constexpr std::uint32_t kMaxHeader = 1u << 20;
constexpr std::uint32_t kMaxChunk = 16u << 20;
constexpr std::size_t kCheckBytes = crypto_generichash_BYTES;
constexpr std::size_t kABytes = crypto_secretstream_xchacha20poly1305_ABYTES;

class Fd {
  public:
    Fd(const fs::path& p, int flags) : fd_(::open(p.c_str(), flags | O_CLOEXEC, 0600)) {
        if (fd_ < 0) throw BackupError(BackupFault::Io, p.string() + ": " + std::strerror(errno));
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

    // Up to n bytes; fewer only at the end of the file.
    std::size_t read(void* buf, std::size_t n) {
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd_, static_cast<char*>(buf) + got, n - got);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) throw BackupError(BackupFault::Io, std::strerror(errno));
            if (r == 0) break;
            got += static_cast<std::size_t>(r);
        }
        return got;
    }
    void write(const void* buf, std::size_t n) {
        std::size_t put = 0;
        while (put < n) {
            const ssize_t w = ::write(fd_, static_cast<const char*>(buf) + put, n - put);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) throw BackupError(BackupFault::Io, std::strerror(errno));
            put += static_cast<std::size_t>(w);
        }
    }
    // On the medium, and out of the page cache, so reading it back reads the medium.
    void syncAndDrop() {
        if (::fsync(fd_) != 0) throw BackupError(BackupFault::Io, std::strerror(errno));
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
    }

  private:
    int fd_;
};

using Hash = std::array<unsigned char, crypto_generichash_BYTES>;

class Hasher {
  public:
    Hasher() { crypto_generichash_init(&st_, nullptr, 0, crypto_generichash_BYTES); }
    void add(const unsigned char* p, std::size_t n) { crypto_generichash_update(&st_, p, n); }
    Hash done() {
        Hash h{};
        crypto_generichash_final(&st_, h.data(), h.size());
        return h;
    }

  private:
    crypto_generichash_state st_{};
};

std::string headerBytes(const BackupHeader& h) {
    nlohmann::json j = {{"format", kFormat},
                        {"created", h.created},
                        {"storeVersion", h.storeVersion},
                        {"bytes", h.bytes},
                        {"counts", h.counts},
                        {"key",
                         {{"alg", "argon2id13+x25519"},
                          {"publicKey", h.key.publicKey},
                          {"salt", h.key.salt},
                          {"opsLimit", h.key.opsLimit},
                          {"memLimit", h.key.memLimit}}},
                        {"sealedKey", h.sealedKey},
                        {"streamHeader", h.streamHeader},
                        {"chunk", h.chunk}};
    const std::string text = j.dump();
    std::string out(kMagic.begin(), kMagic.end());
    const auto n = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((n >> (8 * i)) & 0xff);
    out += text;
    Hash check{};
    crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char*>(out.data()),
                       out.size(), nullptr, 0);
    return out.append(reinterpret_cast<const char*>(check.data()), check.size());
}

// The header as read, with its bytes (the first chunk's additional data).
struct Parsed {
    BackupHeader header;
    std::string bytes;
};

Parsed parseHeader(Fd& in) {
    std::array<unsigned char, 12> start{};
    if (in.read(start.data(), start.size()) < start.size() ||
        !std::equal(kMagic.begin(), kMagic.end(), start.begin()))
        throw BackupError(BackupFault::NotABackup);
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<std::uint32_t>(start[8 + i]) << (8 * i);
    if (n == 0 || n > kMaxHeader)
        throw BackupError(BackupFault::Damaged, "머리 부분의 길이가 맞지 않습니다.");
    Parsed p;
    p.bytes.assign(reinterpret_cast<const char*>(start.data()), start.size());
    p.bytes.resize(start.size() + n + kCheckBytes);
    if (in.read(p.bytes.data() + start.size(), n + kCheckBytes) < n + kCheckBytes)
        throw BackupError(BackupFault::Damaged, "머리 부분이 잘려 있습니다.");
    Hash check{};
    crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char*>(p.bytes.data()),
                       start.size() + n, nullptr, 0);
    if (std::memcmp(check.data(), p.bytes.data() + start.size() + n, kCheckBytes) != 0)
        throw BackupError(BackupFault::Damaged, "머리 부분이 바뀌었습니다.");
    try {
        const auto j = nlohmann::json::parse(p.bytes.substr(start.size(), n));
        if (j.at("format").get<int>() != kFormat)
            throw BackupError(BackupFault::Unsupported, "형식 " + j.at("format").dump());
        BackupHeader& h = p.header;
        h.created = j.at("created").get<std::string>();
        h.storeVersion = j.at("storeVersion").get<std::string>();
        h.bytes = j.at("bytes").get<std::uint64_t>();
        h.counts = j.at("counts").get<std::map<std::string, long long>>();
        const auto& k = j.at("key");
        h.key = {k.at("publicKey").get<std::string>(), k.at("salt").get<std::string>(),
                 k.at("opsLimit").get<std::uint64_t>(), k.at("memLimit").get<std::uint64_t>()};
        h.sealedKey = j.at("sealedKey").get<std::string>();
        h.streamHeader = j.at("streamHeader").get<std::string>();
        h.chunk = j.at("chunk").get<std::uint32_t>();
    } catch (const nlohmann::json::exception& e) {
        throw BackupError(BackupFault::Damaged, e.what());
    }
    if (p.header.chunk == 0 || p.header.chunk > kMaxChunk)
        throw BackupError(BackupFault::Damaged, "조각 크기");
    return p;
}

// Decrypts the chunks after the header with the stream key, handing the copy
// to sink piece by piece.
template <typename Sink>
void pullStream(Fd& in, const Parsed& p, const unsigned char* streamKey, Sink sink,
                const ByteProgress& progress, std::uint64_t base, std::uint64_t total) {
    const BackupHeader& h = p.header;
    std::array<unsigned char, crypto_secretstream_xchacha20poly1305_HEADERBYTES> ssHeader{};
    FromHex(h.streamHeader, ssHeader.data(), ssHeader.size());
    crypto_secretstream_xchacha20poly1305_state st;
    if (crypto_secretstream_xchacha20poly1305_init_pull(&st, ssHeader.data(), streamKey) != 0)
        throw BackupError(BackupFault::Damaged, "암호 스트림 머리");
    const std::uint64_t chunks = h.bytes == 0 ? 1 : (h.bytes + h.chunk - 1) / h.chunk;
    std::vector<unsigned char> c(h.chunk + kABytes), m(h.chunk);
    std::uint64_t done = 0;
    for (std::uint64_t i = 0; i < chunks; ++i) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(h.chunk, h.bytes - done));
        if (in.read(c.data(), n + kABytes) < n + kABytes) throw BackupError(BackupFault::Truncated);
        unsigned long long mlen = 0;
        unsigned char tag = 0;
        const auto* ad = i == 0 ? reinterpret_cast<const unsigned char*>(p.bytes.data()) : nullptr;
        if (crypto_secretstream_xchacha20poly1305_pull(&st, m.data(), &mlen, &tag, c.data(), n + kABytes, ad,
                                                       i == 0 ? p.bytes.size() : 0) != 0 ||
            mlen != n)
            throw BackupError(BackupFault::Damaged, std::to_string(done) + "번째 바이트 부근");
        const bool last = i + 1 == chunks;
        if ((tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) != last)
            throw BackupError(BackupFault::Damaged, "조각의 순서");
        sink(m.data(), n);
        done += n;
        if (progress && !progress(base + done, total)) throw BackupError(BackupFault::Cancelled);
    }
    unsigned char extra = 0;
    if (in.read(&extra, 1) != 0) throw BackupError(BackupFault::Damaged, "끝 뒤에 남는 자료가 있습니다.");
}

std::uint64_t sizeOf(const fs::path& p) {
    std::error_code ec;
    const auto n = fs::file_size(p, ec);
    if (ec) throw BackupError(BackupFault::Io, p.string() + ": " + ec.message());
    return n;
}
} // namespace

long long BackupHeader::prescriptions() const {
    const auto it = counts.find("Main");
    return it == counts.end() ? 0 : it->second;
}

void WriteEncryptedBackup(const fs::path& plain, const fs::path& out, BackupHeader header,
                          const ByteProgress& progress) {
    SodiumReady();
    std::array<unsigned char, crypto_box_PUBLICKEYBYTES> pk{};
    FromHex(header.key.publicKey, pk.data(), pk.size());
    SecureBytes streamKey(crypto_secretstream_xchacha20poly1305_KEYBYTES);
    crypto_secretstream_xchacha20poly1305_keygen(streamKey.data());
    std::array<unsigned char, crypto_box_SEALBYTES + crypto_secretstream_xchacha20poly1305_KEYBYTES> sealed{};
    crypto_box_seal(sealed.data(), streamKey.data(), streamKey.size(), pk.data());
    header.sealedKey = ToHex(sealed.data(), sealed.size());
    crypto_secretstream_xchacha20poly1305_state st;
    std::array<unsigned char, crypto_secretstream_xchacha20poly1305_HEADERBYTES> ssHeader{};
    crypto_secretstream_xchacha20poly1305_init_push(&st, ssHeader.data(), streamKey.data());
    header.streamHeader = ToHex(ssHeader.data(), ssHeader.size());
    header.bytes = sizeOf(plain);
    const std::string head = headerBytes(header);
    const std::uint64_t total = header.bytes * 2; // writing, then reading back

    Hash written{};
    {
        Fd in(plain, O_RDONLY);
        Fd to(out, O_WRONLY | O_CREAT | O_TRUNC);
        to.write(head.data(), head.size());
        Hasher hash;
        std::vector<unsigned char> m(header.chunk), c(header.chunk + kABytes);
        std::uint64_t done = 0;
        do {
            const std::size_t n =
                in.read(m.data(),
                        static_cast<std::size_t>(std::min<std::uint64_t>(header.chunk, header.bytes - done)));
            const bool first = done == 0;
            done += n;
            hash.add(m.data(), n);
            unsigned long long clen = 0;
            crypto_secretstream_xchacha20poly1305_push(
                &st, c.data(), &clen, m.data(), n,
                first ? reinterpret_cast<const unsigned char*>(head.data()) : nullptr,
                first ? head.size() : 0,
                done >= header.bytes ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                     : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
            to.write(c.data(), static_cast<std::size_t>(clen));
            if (progress && !progress(done, total)) throw BackupError(BackupFault::Cancelled);
            if (n == 0 && done < header.bytes)
                throw BackupError(BackupFault::Io, "복사본이 읽는 중에 줄었습니다.");
        } while (done < header.bytes);
        to.syncAndDrop();
        written = hash.done();
    }
    Fd back(out, O_RDONLY);
    const Parsed p = parseHeader(back);
    Hasher hash;
    pullStream(
        back, p, streamKey.data(), [&](const unsigned char* d, std::size_t n) { hash.add(d, n); }, progress,
        header.bytes, total);
    if (hash.done() != written)
        throw BackupError(BackupFault::CheckFailed, "다시 읽은 백업이 원본과 다릅니다.");
}

void WritePlainBackup(const fs::path& plain, const fs::path& out, const ByteProgress& progress) {
    const std::uint64_t bytes = sizeOf(plain), total = bytes * 2;
    std::vector<unsigned char> buf(1u << 20);
    auto pass = [&](Fd& from, Fd* to, std::uint64_t base) {
        Hasher hash;
        std::uint64_t done = 0;
        for (std::size_t n; (n = from.read(buf.data(), buf.size())) > 0;) {
            hash.add(buf.data(), n);
            if (to) to->write(buf.data(), n);
            done += n;
            if (progress && !progress(base + std::min(done, bytes), total))
                throw BackupError(BackupFault::Cancelled);
        }
        if (done != bytes) throw BackupError(BackupFault::CheckFailed, "복사한 크기가 원본과 다릅니다.");
        return hash.done();
    };
    Hash written{};
    {
        Fd in(plain, O_RDONLY);
        Fd to(out, O_WRONLY | O_CREAT | O_TRUNC);
        written = pass(in, &to, 0);
        to.syncAndDrop();
    }
    Fd back(out, O_RDONLY);
    if (pass(back, nullptr, bytes) != written)
        throw BackupError(BackupFault::CheckFailed, "다시 읽은 백업이 원본과 다릅니다.");
}

bool IsEncryptedBackup(const fs::path& file) {
    std::array<unsigned char, kMagic.size()> start{};
    try {
        Fd in(file, O_RDONLY);
        return in.read(start.data(), start.size()) == start.size() && start == kMagic;
    } catch (const BackupError&) {
        return false;
    }
}

BackupHeader ReadBackupHeader(const fs::path& file) {
    SodiumReady();
    Fd in(file, O_RDONLY);
    return parseHeader(in).header;
}

void DecryptBackup(const fs::path& file, const SecureBytes& secretKey, const fs::path& out,
                   const ByteProgress& progress) {
    SodiumReady();
    Fd in(file, O_RDONLY);
    const Parsed p = parseHeader(in);
    std::array<unsigned char, crypto_box_PUBLICKEYBYTES> pk{};
    FromHex(p.header.key.publicKey, pk.data(), pk.size());
    std::array<unsigned char, crypto_box_SEALBYTES + crypto_secretstream_xchacha20poly1305_KEYBYTES> sealed{};
    FromHex(p.header.sealedKey, sealed.data(), sealed.size());
    SecureBytes streamKey(crypto_secretstream_xchacha20poly1305_KEYBYTES);
    if (crypto_box_seal_open(streamKey.data(), sealed.data(), sealed.size(), pk.data(), secretKey.data()) !=
        0)
        throw BackupError(BackupFault::WrongPassphrase);
    Fd to(out, O_WRONLY | O_CREAT | O_TRUNC);
    pullStream(
        in, p, streamKey.data(), [&](const unsigned char* d, std::size_t n) { to.write(d, n); }, progress, 0,
        p.header.bytes);
    if (::fsync(to.get()) != 0) throw BackupError(BackupFault::Io, std::strerror(errno));
}

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace pelmora
