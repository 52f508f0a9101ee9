#pragma once
// A path as the program's callers write it ("\" or "/") as a filesystem path.

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelmora {

inline std::filesystem::path pathFromText(std::string_view text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '\\', '/');
    return std::filesystem::path(s);
}

} // namespace pelmora
