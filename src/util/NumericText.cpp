#include "NumericText.h"

#include <cctype>
#include <cstdlib>
#include <limits>

namespace pelmora {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
} // namespace

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::optional<DecimalText> parseNumericText(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && isBlank(text[i])) ++i;
    while (n > i && isBlank(text[n - 1])) --n;
    if (i == n) return std::nullopt;

    DecimalText out;
    if (text[i] == '+' || text[i] == '-') {
        out.negative = text[i] == '-';
        ++i;
    }
    std::string all; // every digit of mantissa, whole part then fraction
    long fractionDigits = 0;
    bool anyDigit = false;
    // whole part: digits, with separators only after a digit
    while (i < n && (isDigit(text[i]) || (text[i] == ',' && anyDigit))) {
        if (text[i] != ',') {
            all.push_back(text[i]);
            anyDigit = true;
        }
        ++i;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            all.push_back(text[i]);
            ++fractionDigits;
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit) return std::nullopt;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        if (i >= n || !isDigit(text[i])) return std::nullopt;
        while (i < n && isDigit(text[i])) {
            // Exponents past a few thousand are all the same to money and doubles.
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (expNegative) exponent = -exponent;
    }
    if (i != n) return std::nullopt;

    std::size_t firstNonZero = all.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        out.digits.clear();
        out.exponent = 0;
        return out;
    }
    std::size_t lastNonZero = all.find_last_not_of('0');
    long trailingZeros = static_cast<long>(all.size() - 1 - lastNonZero);
    out.digits = all.substr(firstNonZero, lastNonZero - firstNonZero + 1);
    out.exponent = exponent - fractionDigits + trailingZeros;
    return out;
}

std::optional<double> numericTextToDouble(std::string_view text) {
    auto d = parseNumericText(text);
    if (!d) return std::nullopt;
    if (d->digits.empty()) return d->negative ? -0.0 : 0.0;
    // Rebuild a plain literal without separators and let strtod round it correctly.
    std::string literal = (d->negative ? "-" : "") + d->digits + "e" + std::to_string(d->exponent);
    return std::strtod(literal.c_str(), nullptr);
}

} // namespace pelmora
