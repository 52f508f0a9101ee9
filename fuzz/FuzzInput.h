#pragma once
// What the fuzz targets share: a scratch folder of this process, and the
// input written out as a file under a given name, since the readers under
// test take files as a pharmacy's disk would hand them over.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace pelmora::fuzz {

inline const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("pelmora-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline std::filesystem::path writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const auto file = scratch() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return file;
}

// A property of the reader did not hold for this input: said, then stopped
// as a crash, so libFuzzer keeps the input.
[[noreturn]] inline void fault(const char* what) {
    std::fprintf(stderr, "fuzz fault: %s\n", what);
    std::abort();
}

} // namespace pelmora::fuzz
