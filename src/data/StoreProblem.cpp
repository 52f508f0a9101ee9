#include "StoreProblem.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace pelmora {

namespace fs = std::filesystem;

std::string StoreProblemText(StoreProblem problem) {
    switch (problem) {
    case StoreProblem::None:
        return {};
    case StoreProblem::NoPath:
        return "저장소 파일의 이름이 없습니다.";
    case StoreProblem::Folder:
        return "저장소 파일 자리에 같은 이름의 폴더가 있습니다.";
    case StoreProblem::NotAFile:
        return "저장소 파일 자리에 일반 파일이 아닌 것이 있습니다.";
    case StoreProblem::CannotCreate:
        return "저장소 파일을 만들 수 없습니다. 폴더가 없거나 쓰기 권한이 없습니다.";
    case StoreProblem::NotADatabase:
        return "저장소 파일이 데이터베이스 파일이 아닙니다.";
    case StoreProblem::Truncated:
        return "저장소 파일의 뒷부분이 잘려 있습니다. 백업에서 저장소를 복원해 주십시오.";
    case StoreProblem::Damaged:
        return "저장소 파일이 손상되었습니다. 백업에서 저장소를 복원해 주십시오.";
    case StoreProblem::ReadOnly:
        return "저장소 파일이나 그 폴더가 읽기 전용이어서 저장할 수 없습니다.";
    case StoreProblem::Locked:
        return "다른 프로그램이 저장소를 사용하고 있어 열 수 없습니다. 잠시 후 다시 실행해 주십시오.";
    case StoreProblem::NotAStore:
        return "처방 저장소가 아닌 데이터베이스이거나 이 프로그램이 쓸 수 없는 형식입니다.";
    case StoreProblem::DiskFull:
        return "디스크 공간이 부족합니다.";
    case StoreProblem::Other:
        return "저장소를 여는 중에 오류가 발생했습니다.";
    }
    return {};
}

namespace {
constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3"; // followed by a NUL

std::uint32_t bigEndian(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}
} // namespace

StoreProblem StoreHeaderProblem(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size == 0) return StoreProblem::None;
    std::array<unsigned char, kHeaderSize> h{};
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(h.data()), static_cast<std::streamsize>(h.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    // Whatever was read must agree with the start of the signature.
    const std::size_t signature = std::min(got, sizeof kMagic);
    if (std::memcmp(h.data(), kMagic, signature) != 0) return StoreProblem::NotADatabase;
    if (got < kHeaderSize) return StoreProblem::Truncated;
    const std::uint32_t rawPage = bigEndian(&h[16], 2);
    const std::uint64_t pageSize = rawPage == 1 ? 65536 : rawPage;
    const std::uint32_t pages = bigEndian(&h[28], 4);
    // The page count is trustworthy only when the writer stamped it with
    // the same change counter.
    const bool countValid = pages != 0 && bigEndian(&h[24], 4) == bigEndian(&h[92], 4);
    if (countValid && pageSize >= 512 && pages * pageSize > size) return StoreProblem::Truncated;
    return StoreProblem::None;
}

bool TightenStorePermissions(const fs::path& file) {
    struct stat sb {};
    if (::stat(file.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode)) return false;
    if ((sb.st_mode & (S_IRWXG | S_IRWXO)) == 0) return false;
    return ::chmod(file.c_str(), sb.st_mode & S_IRWXU) == 0;
}

} // namespace pelmora
