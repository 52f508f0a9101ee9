#pragma once
// The runtime's numeric test: is this text a number? Blanks around, one sign in
// front, thousands separators between the digits of the whole part, one decimal
// point, an optional exponent. Everything else (letters, Hangul, a bare sign,
// a bare point) is not a number.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

struct DecimalText {
    bool negative = false;
    std::string digits; // significant digits, no leading zeros ("" for zero)
    long exponent = 0;  // value = digits × 10^exponent
};

std::optional<DecimalText> parseNumericText(std::string_view text);
inline bool isNumericText(std::string_view text) { return parseNumericText(text).has_value(); }
// The numeric text as a double (correctly rounded); nullopt when not numeric.
std::optional<double> numericTextToDouble(std::string_view text);
// Spaces trimmed from both ends, as the runtime's Trim does.
std::string_view trimSpaces(std::string_view text);

} // namespace pelmora
