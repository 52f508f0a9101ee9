// The national drug price list file comes from outside: any bytes taken as
// the .xlsx must read as products, be refused as a bad file, or stop with the
// import's own error, never crash, hang or read out of range. The zip
// directory, the shared strings and the sheet XML are all in the bytes.

#include "data/DrugListFile.h"
#include "data/ImportError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::filesystem::path& listFile() {
    static const std::filesystem::path file = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("pelmora-fuzz-list-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir / "약제급여목록및급여상한금액표_(2024.1.1.)(1).xlsx";
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(listFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        pelmora::DrugListFile list(listFile(), "");
        std::vector<pelmora::SkippedDrug> skipped;
        std::size_t products = 0;
        list.read([&](pelmora::ListedDrug&& d) { products += d.code.size() == 9; }, skipped);
    } catch (const pelmora::ImportError&) {
    } catch (const std::runtime_error&) {
    }
    return 0;
}
