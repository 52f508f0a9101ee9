#include "Currency.h"

#include "NumericText.h"
#include "RuntimeError.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace pelmora {

namespace {
__extension__ typedef __int128 i128;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::int64_t checked(i128 v) {
    if (v > kMax || v < kMin) throw rterr::overflow();
    return static_cast<std::int64_t>(v);
}

// q = round_half_even(num / den) for den > 0.
i128 divRoundHalfEven(i128 num, i128 den) {
    i128 q = num / den;
    i128 r = num % den;
    if (r < 0) {
        r = -r;
    }
    i128 twice = r * 2;
    if (twice > den || (twice == den && (q % 2 != 0))) {
        q += (num < 0) ? -1 : 1;
    }
    return q;
}

std::int64_t wholeHalfEven(std::int64_t ticks) {
    return static_cast<std::int64_t>(divRoundHalfEven(ticks, Currency::kScale));
}
} // namespace

Currency Currency::fromWon(std::int64_t won) { return Currency(checked(static_cast<i128>(won) * kScale)); }

Currency Currency::fromDouble(double value) {
    double scaled = value * static_cast<double>(kScale);
    // 2^63 as a double; anything at or past it (or NaN) cannot be money.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(scaled < kLimit && scaled >= -kLimit)) throw rterr::overflow();
    double r = std::nearbyint(scaled); // the default rounding mode is half to even
    if (!(r < kLimit && r >= -kLimit)) throw rterr::overflow();
    return Currency(static_cast<std::int64_t>(r));
}

std::optional<Currency> Currency::tryParse(std::string_view text) noexcept {
    auto d = parseNumericText(text);
    if (!d) return std::nullopt;
    if (d->digits.empty()) return Currency();
    // ticks = digits × 10^(exponent + 4), rounded half to even.
    long shift = d->exponent + 4;
    const std::string& g = d->digits;
    i128 whole = 0;
    bool tooLarge = false;
    auto push = [&](char c) {
        if (tooLarge) return;
        whole = whole * 10 + (c - '0');
        if (whole > static_cast<i128>(kMax) + 1) tooLarge = true;
    };
    if (shift >= 0) {
        if (static_cast<long>(g.size()) + shift > 20) return std::nullopt; // overflow
        for (char c : g) push(c);
        for (long k = 0; k < shift; ++k) push('0');
        if (tooLarge) return std::nullopt;
        i128 v = d->negative ? -whole : whole;
        if (v > kMax || v < kMin) return std::nullopt;
        return Currency(static_cast<std::int64_t>(v));
    }
    // Some digits fall below the fourth decimal: keep the whole ones, round on the rest.
    long keep = static_cast<long>(g.size()) + shift; // digits that stay in the ticks
    if (keep > 20) return std::nullopt;
    for (long k = 0; k < keep; ++k) push(g[static_cast<std::size_t>(k)]);
    if (tooLarge) return std::nullopt;
    // first dropped digit and whether anything non-zero follows it
    char first = keep >= 0 ? g[static_cast<std::size_t>(keep)] : '0';
    bool sticky = false;
    if (keep >= 0) {
        sticky = g.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
    } else {
        sticky = true; // all digits lie further down: non-zero, below half a tick
    }
    bool up = first > '5' || (first == '5' && (sticky || (whole % 2 != 0)));
    if (up) ++whole;
    i128 v = d->negative ? -whole : whole;
    if (v > kMax || v < kMin) return std::nullopt;
    return Currency(static_cast<std::int64_t>(v));
}

Currency Currency::parse(std::string_view text) {
    if (!isNumericText(text)) throw rterr::typeMismatch();
    auto c = tryParse(text);
    if (!c) throw rterr::overflow();
    return *c;
}

std::int16_t Currency::toInt16() const {
    std::int64_t w = wholeHalfEven(ticks_);
    if (w < std::numeric_limits<std::int16_t>::min() || w > std::numeric_limits<std::int16_t>::max())
        throw rterr::overflow();
    return static_cast<std::int16_t>(w);
}

std::int32_t Currency::toInt32() const {
    std::int64_t w = wholeHalfEven(ticks_);
    if (w < std::numeric_limits<std::int32_t>::min() || w > std::numeric_limits<std::int32_t>::max())
        throw rterr::overflow();
    return static_cast<std::int32_t>(w);
}

std::int64_t Currency::toInt64() const { return wholeHalfEven(ticks_); }

std::string Currency::toFixed(int decimals) const {
    if (decimals < 0) decimals = 0;
    if (decimals > 4) decimals = 4;
    i128 den = 1;
    for (int k = decimals; k < 4; ++k) den *= 10;
    i128 v = divRoundHalfEven(ticks_, den);
    bool negative = v < 0;
    if (negative) v = -v;
    i128 unit = 1;
    for (int k = 0; k < decimals; ++k) unit *= 10;
    i128 whole = v / unit, frac = v % unit;
    std::string w;
    do {
        w.insert(w.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
    } while (whole != 0);
    std::string out = (negative ? "-" : "") + w;
    if (decimals > 0) {
        std::string f(static_cast<std::size_t>(decimals), '0');
        for (int k = decimals - 1; k >= 0; --k) {
            f[static_cast<std::size_t>(k)] = static_cast<char>('0' + static_cast<int>(frac % 10));
            frac /= 10;
        }
        out += "." + f;
    }
    return out;
}

std::string Currency::toText() const {
    std::string s = toFixed(4);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

Currency Currency::operator-() const { return Currency(checked(-static_cast<i128>(ticks_))); }
Currency Currency::operator+(Currency o) const {
    return Currency(checked(static_cast<i128>(ticks_) + o.ticks_));
}
Currency Currency::operator-(Currency o) const {
    return Currency(checked(static_cast<i128>(ticks_) - o.ticks_));
}
Currency Currency::operator*(std::int64_t n) const { return Currency(checked(static_cast<i128>(ticks_) * n)); }

Currency Currency::mul(Currency o) const {
    i128 p = static_cast<i128>(ticks_) * o.ticks_; // scaled by 10^8
    return Currency(checked(divRoundHalfEven(p, kScale)));
}

double Currency::divide(Currency o) const {
    if (o.ticks_ == 0) throw rterr::divisionByZero();
    return static_cast<double>(ticks_) / static_cast<double>(o.ticks_);
}

} // namespace pelmora
