#pragma once
// Exact money: a signed 64-bit count of ten-thousandths of a won.
// Sums and differences are exact; products follow the runtime the charge rules
// were written for (see mul), so every won comes out as it always did.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

class Currency {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromTicks(std::int64_t ticks) { return Currency(ticks); }
    // A whole number of won; overflow raises the runtime's overflow error.
    static Currency fromWon(std::int64_t won);
    // "To money": scale the double by 10,000 in double arithmetic and round half
    // to even. NaN, infinities and values past the range raise overflow.
    static Currency fromDouble(double value);
    // Numeric text (blanks around, sign, thousands separators, decimal point,
    // exponent) to money, rounded half to even at the fourth decimal.
    // Text that is not numeric raises type mismatch; too large, overflow.
    static Currency parse(std::string_view text);
    static std::optional<Currency> tryParse(std::string_view text) noexcept;

    constexpr std::int64_t ticks() const { return ticks_; }
    double toDouble() const { return static_cast<double>(ticks_) / static_cast<double>(kScale); }
    // Whole number with round half to even; out of range raises overflow.
    std::int16_t toInt16() const;
    std::int32_t toInt32() const;
    std::int64_t toInt64() const;
    bool isWhole() const { return ticks_ % kScale == 0; }

    // Fixed number of decimals (0..4), rounding half to even when fewer than 4:
    // toFixed(4) of 1234 is "1234.0000".
    std::string toFixed(int decimals = 4) const;
    // Shortest text as the runtime printed money: "12.5", "1234", "-0.0001".
    std::string toText() const;

    Currency operator-() const;
    Currency operator+(Currency o) const;
    Currency operator-(Currency o) const;
    Currency& operator+=(Currency o) { return *this = *this + o; }
    Currency& operator-=(Currency o) { return *this = *this - o; }
    // Money times a whole number: exact.
    Currency operator*(std::int64_t n) const;
    // Money times a double: the money as a double, the product in double
    // arithmetic, back to money as fromDouble does.
    Currency mul(double factor) const { return fromDouble(toDouble() * factor); }
    // Money times money: the exact product rounded half to even to 4 decimals.
    Currency mul(Currency o) const;
    // Money divided by money, as a double (the runtime's division result).
    double divide(Currency o) const;

    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    friend constexpr bool operator==(Currency a, Currency b) = default;

private:
    constexpr explicit Currency(std::int64_t t) : ticks_(t) {}
    std::int64_t ticks_ = 0;
};

} // namespace pelmora
