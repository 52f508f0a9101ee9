#pragma once
// Widths and bytes of text in the Korean code page CP949, the code page the
// fixed-width fields are measured in: a Hangul syllable takes 2 bytes, an ASCII
// character 1. Text inside the program is UTF-8; a character CP949 cannot hold
// is written as "?" and so counts 1, as is each byte that is not valid UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// One character of a UTF-8 text with its CP949 width. A byte that does not
// start a valid UTF-8 sequence is a unit of its own, not valid, width 1.
struct Cp949Unit {
    std::size_t offset = 0; // in the UTF-8 text
    std::size_t size = 0;   // UTF-8 bytes
    int width = 1;          // CP949 bytes
    bool valid = true;
};

std::vector<Cp949Unit> cp949Units(std::string_view utf8);
// The CP949 byte count of the text.
std::size_t cp949Length(std::string_view utf8);
// The text's CP949 bytes ("?" for what the code page cannot hold).
std::string toCp949(std::string_view utf8);
// CP949 bytes back to UTF-8; a byte sequence that is not CP949 becomes U+FFFD.
std::string fromCp949(std::string_view bytes);
// The units from..to (exclusive) of text joined again; invalid bytes become "?"
// so the result is always valid UTF-8.
std::string joinUnits(std::string_view utf8, const std::vector<Cp949Unit>& units, std::size_t from,
                      std::size_t to);

} // namespace pelmora
