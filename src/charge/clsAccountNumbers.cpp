// The engine's own value defaulting and won rounding. NBRound works on the
// printed text of the double, as the bills were always rounded: a remainder
// such as 8649.999999999999 prints as "8650" and is taken as that.

#include "clsAccount.h"

#include "util/NumericText.h"
#include "util/RuntimeError.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace pelmora {

namespace {
double textToDouble(const std::string& text) {
    auto d = numericTextToDouble(text);
    if (!d) throw rterr::typeMismatch();
    if (!std::isfinite(*d)) throw rterr::overflow();
    return *d;
}

// Assigning a double to a 32-bit integer: half to even, overflow outside the range.
std::int32_t toLong(double d) {
    if (!std::isfinite(d)) throw rterr::overflow();
    double r = std::nearbyint(d);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw rterr::overflow();
    return static_cast<std::int32_t>(r);
}

// The double as the runtime printed it; whole numbers, the common case of a
// bill, are printed without going through the formatter.
std::string printed(double d) {
    if (d == std::floor(d) && std::fabs(d) < 1e15) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(d));
        return std::string(buf, r.ptr);
    }
    return doubleToText(d);
}

double powerOfTen(std::int32_t n) {
    double p = std::pow(10.0, static_cast<double>(n));
    if (!std::isfinite(p)) throw rterr::overflow();
    return p;
}

// Reads a number from the start of a text and stops at the first character
// that cannot continue it; blanks are skipped, so "1,234" reads 1.
double valOf(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t') s.push_back(c);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            while (j < s.size() && s[j] >= '0' && s[j] <= '9')
                ++j;
            i = j;
        }
    }
    std::string prefix = s.substr(0, i);
    auto d = numericTextToDouble(prefix);
    if (!d) return 0;
    if (!std::isfinite(*d)) throw rterr::overflow();
    return *d;
}
} // namespace

Variant clsAccount::Nz(const std::optional<Variant>& value, std::int32_t EQKind) const {
    const Variant empty = EQKind == 1 ? Variant(std::string()) : Variant(static_cast<std::int16_t>(0));
    if (!value || value->isNull()) return empty;
    const Variant& v = *value;
    if (v.isString()) {
        std::string_view t = trimSpaces(*v.asString());
        if (t.empty()) return empty;
        if (EQKind == 1) return Variant(t);
    } else {
        std::string text = v.toText();
        std::string_view t = trimSpaces(text);
        if (t.empty()) return empty;
        if (EQKind == 1) return Variant(t);
    }
    if (!v.isNumeric()) return v;
    switch (EQKind) {
    case 2:
        return Variant(valOf(v.toText()));
    case 3:
        return Variant(v.toDouble());
    default:
        return Variant(v.toCurrency());
    }
}

Currency clsAccount::moneyField(std::string_view field) const {
    if (trimSpaces(field).empty()) return Currency();
    if (auto c = Currency::tryParse(field)) return *c;
    if (!isNumericText(field)) throw rterr::typeMismatch();
    throw rterr::overflow();
}

std::int32_t clsAccount::NBRound(double value, std::int32_t kind, std::int32_t digits) const {
    if (!std::isfinite(value)) throw rterr::overflow();
    if (value > 999999999 || digits < 1) return toLong(value);

    bool minus = false;
    std::string text = printed(value);
    if (text.find('-') != std::string::npos) {
        minus = true;
        value = textToDouble(text.substr(1));
        text = printed(value);
    }
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos) {
        value = value - textToDouble("0." + text.substr(dot + 1));
        text = printed(value);
    }
    const double unit = powerOfTen(digits);
    const double q = std::floor(value / unit);
    const double half = 5 * powerOfTen(digits - 1);
    const std::size_t n = static_cast<std::size_t>(digits);
    const double t = textToDouble(text.size() > n ? text.substr(text.size() - n) : text);

    std::int32_t result = 0;
    if (t == 0) {
        result = toLong(value);
    } else if (kind == 1) {
        result = toLong(t < half ? q * unit : (q + 1) * unit);
    } else if (kind == 2) {
        result = toLong((q + 1) * unit);
    } else if (kind == 3) {
        result = toLong(q * unit);
    }
    return minus ? -result : result;
}

} // namespace pelmora
