// Value defaulting, won rounding and the money / number texts.

#include "KVFun.h"

#include "NumericText.h"
#include "RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace pelmora {

namespace {

// The runtime's Val: blanks, tabs and line ends are skipped anywhere; a number
// is read from the start and stops at the first character that cannot continue
// it ("1,234" reads 1, "12abc" 12, "abc" 0).
double valOf(std::string_view text) {
    std::string t;
    t.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') t.push_back(c);
    const auto digit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
    std::size_t i = 0;
    std::string num;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num.push_back(t[i++]);
    bool any = false;
    while (digit(i))
        num.push_back(t[i++]), any = true;
    if (i < t.size() && t[i] == '.') {
        num.push_back(t[i++]);
        while (digit(i))
            num.push_back(t[i++]), any = true;
    }
    if (!any) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) exp.push_back(t[j++]);
        if (digit(j)) {
            while (digit(j))
                exp.push_back(t[j++]);
            num += exp;
        }
    }
    // Correctly rounded; too small gives zero, too large infinity, the runtime's overflow.
    const auto d = numericTextToDouble(num);
    if (!d) return 0;
    if (!std::isfinite(*d)) throw rterr::overflow();
    return *d;
}

std::int32_t toLongHalfEven(double v) {
    if (!std::isfinite(v)) throw rterr::overflow();
    double r = std::nearbyint(v);
    if (r < -2147483648.0 || r > 2147483647.0) throw rterr::overflow();
    return static_cast<std::int32_t>(r);
}

// NBRound's steps 3 and 4 on a whole, non-negative magnitude.
double roundMagnitude(double mag, std::int32_t kind, std::int32_t digits) {
    if (mag < 9007199254740992.0 && digits <= 18) {
        // Exact in whole numbers.
        const auto m = static_cast<std::int64_t>(mag);
        std::int64_t p = 1;
        for (std::int32_t k = 0; k < digits; ++k)
            p *= 10;
        const std::int64_t q = m / p, r = m % p, half = p / 2;
        if (r == 0) return static_cast<double>(m);
        switch (kind) {
        case 1:
            return static_cast<double>(r < half ? q * p : (q + 1) * p);
        case 2:
            return static_cast<double>((q + 1) * p);
        case 3:
            return static_cast<double>(q * p);
        default:
            return static_cast<double>(q);
        }
    }
    // Huge magnitudes (only negative values pass the limit) or places past any
    // whole number: fmod is exact, and every result that is not small overflows
    // when it is made a Long.
    const double p = std::pow(10.0, static_cast<double>(digits));
    const double r = std::fmod(mag, p);
    if (r == 0) return mag;
    switch (kind) {
    case 1:
        return r < p / 2 ? mag - r : mag - r + p;
    case 2:
        return mag - r + p;
    case 3:
        return mag - r;
    default:
        return std::floor(mag / p);
    }
}

Currency cutLastDigits(Currency c, std::int64_t modulus) {
    const std::int64_t t = c.ticks();
    const bool negative = t < 0;
    const std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(t) : static_cast<std::uint64_t>(t);
    std::uint64_t won = (mag + Currency::kScale / 2) / Currency::kScale; // halves away from zero
    won -= won % static_cast<std::uint64_t>(modulus);
    const auto w = static_cast<std::int64_t>(won);
    return Currency::fromWon(negative ? -w : w);
}

// Whole won, halves away from zero, with thousands separators.
std::string groupedWon(Currency c) {
    const std::int64_t t = c.ticks();
    const bool negative = t < 0;
    const std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(t) : static_cast<std::uint64_t>(t);
    const std::string digits = std::to_string((mag + Currency::kScale / 2) / Currency::kScale);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return (negative && out != "0") ? "-" + out : out;
}

// Right-to-left fill of the "&&&&-&&-&&" pattern, one character per "&";
// characters beyond the eight stand in front, as the runtime's text format does.
std::string dateMask(const std::string& text) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        if (i + n > text.size()) n = text.size() - i;
        chars.push_back(text.substr(i, n));
        i += n;
    }
    static constexpr std::string_view kPattern = "&&&&-&&-&&";
    std::string out;
    std::size_t next = chars.size() > 8 ? chars.size() - 8 : 0;
    for (std::size_t k = 0; k < next; ++k)
        out += chars[k];
    std::size_t skip = chars.size() < 8 ? 8 - chars.size() : 0;
    for (char p : kPattern) {
        if (p != '&') {
            out.push_back(p);
        } else if (skip > 0) {
            --skip;
        } else {
            out += chars[next++];
        }
    }
    return out;
}

} // namespace

Variant KVFun::Nz(const std::optional<Variant>& value, std::int32_t EQKind) const {
    const auto neutral = [&] { return EQKind == 1 ? Variant(std::string()) : Variant(std::int16_t{0}); };
    if (!value || value->isNull()) return neutral();
    const std::string text = value->toText();
    const std::string_view trimmed = trimSpaces(text);
    if (trimmed.empty()) return neutral();
    if (EQKind == 1) return Variant(std::string(trimmed));
    if (value->isNumeric()) {
        if (EQKind == 2) return Variant(valOf(text));
        if (EQKind == 3) return Variant(value->toDouble());
        return Variant(value->toCurrency());
    }
    return *value;
}

std::int32_t KVFun::NBRound(double value, std::int32_t kind, std::int32_t digits) const {
    if (!std::isfinite(value)) throw rterr::overflow();
    if (value > 999999999.0 || digits < 1) return toLongHalfEven(value);
    const bool negative = value < 0;
    // The fraction is dropped before rounding at the digit.
    const double result = roundMagnitude(std::trunc(std::fabs(value)), kind, digits);
    return toLongHalfEven(negative ? -result : result);
}

double KVFun::NBRound_Dbl(double value, std::int32_t kind, std::int32_t digits) const {
    if (!std::isfinite(value) || kind < 1 || kind > 3) return value;
    // Round the value as it prints (15 significant digits), so 1.005 is 1.005
    // and not the binary number just below it.
    auto dec = parseNumericText(doubleToText(value));
    if (!dec || dec->digits.empty()) return value;
    const long places = std::clamp<long>(digits, -400, 400);
    const long drop = -places - dec->exponent; // digits below the kept place
    if (drop <= 0) return value;
    const auto size = static_cast<long>(dec->digits.size());
    std::string kept =
        drop >= size ? std::string() : dec->digits.substr(0, static_cast<std::size_t>(size - drop));
    const char firstDropped = drop > size ? '0' : dec->digits[static_cast<std::size_t>(size - drop)];
    const bool up = kind == 2 || (kind == 1 && firstDropped >= '5');
    if (up) {
        long i = static_cast<long>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[static_cast<std::size_t>(i)];
    }
    if (kept.empty()) kept = "0";
    std::string text = (dec->negative ? "-" : "") + kept + "e" + std::to_string(-places);
    auto d = numericTextToDouble(text);
    return d && std::isfinite(*d) ? *d : value;
}

Currency KVFun::NB1WonCut(Currency cCurrency) const {
    return cutLastDigits(cCurrency, 10);
}
Currency KVFun::NB10WonCut(Currency cCurrency) const {
    return cutLastDigits(cCurrency, 100);
}

double KVFun::NBPercent(std::int32_t a, std::int32_t b) const {
    if (a == 0 || b == 0) return 100;
    // In whole numbers: b / a × 100 in doubles gives 28 for 29 of 100.
    const std::int64_t num = static_cast<std::int64_t>(b) * 100, den = a;
    std::int64_t q = num / den;
    if ((num % den != 0) && ((num < 0) != (den < 0))) --q; // rounded down, also below zero
    return static_cast<double>(q);
}

std::string KVFun::SRFormat(const Variant& xValue, std::int32_t EQKind) const {
    if (EQKind == 1) {
        if (xValue.isNull() || xValue.isEmpty()) return {};
        std::string text = xValue.toText();
        return text.empty() ? text : dateMask(text);
    }
    const Variant v = Nz(xValue);
    if (const std::string* s = v.asString()) return *s; // not a number: shown as it is
    return groupedWon(v.toCurrency());
}

std::string KVFun::NBHanGul(std::string_view amount) const {
    std::string text;
    for (char c : amount)
        if (c != ',') text.push_back(c);
    const auto dec = parseNumericText(text);
    if (!dec) return {};
    // The whole part only; past 16 digits there is no group word left.
    std::string whole;
    const auto size = static_cast<long>(dec->digits.size());
    if (dec->exponent >= 0) {
        if (size + dec->exponent > 16) return {};
        whole = dec->digits + std::string(static_cast<std::size_t>(dec->exponent), '0');
    } else if (size + dec->exponent > 0) {
        whole = dec->digits.substr(0, static_cast<std::size_t>(size + dec->exponent));
    }
    if (whole.empty()) return "영원정";

    static const char* const kDigit[] = {"", "일", "이", "삼", "사", "오", "육", "칠", "팔", "구"};
    static const char* const kPlace[] = {"", "십", "백", "천"};
    static const char* const kGroup[] = {"", "만", "억", "조"};
    std::string out = dec->negative ? "마이너스" : "";
    const std::size_t n = whole.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t fromRight = n - 1 - i;
        const int d = whole[i] - '0';
        // "일" is written before every place word, so no digit can be slipped in front.
        if (d != 0) out += std::string(kDigit[d]) + kPlace[fromRight % 4];
        if (fromRight % 4 == 0 && fromRight > 0) {
            const std::size_t groupStart = i >= 3 ? i - 3 : 0;
            if (whole.find_first_not_of('0', groupStart) <= i) out += kGroup[fromRight / 4];
        }
    }
    return out + "원정";
}

std::string KVFun::NBHanGul(Currency amount) const {
    return NBHanGul(amount.toFixed(4));
}

} // namespace pelmora
