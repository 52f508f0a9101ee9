#pragma once
// A small untyped value, as the system's helpers pass them around: empty,
// null, Boolean, 16- and 32-bit integers, double, money or text. Conversions
// follow the runtime: they fail with type mismatch or overflow, never guess.

#include "Currency.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace pelmora {

class Variant {
public:
    enum class Kind { Empty, Null, Boolean, Integer, Long, Double, Currency, String };
    struct NullTag {};

    Variant() = default;
    Variant(NullTag) : v_(NullTag{}) {}
    Variant(bool b) : v_(b) {}
    Variant(std::int16_t i) : v_(i) {}
    Variant(std::int32_t l) : v_(l) {}
    Variant(double d) : v_(d) {}
    Variant(pelmora::Currency c) : v_(c) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}
    static Variant null() { return Variant(NullTag{}); }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isString() const { return kind() == Kind::String; }
    // The runtime's IsNumeric: numbers, Booleans and Empty are numeric; text is
    // numeric when it passes the numeric test; Null is not.
    bool isNumeric() const;

    // Text of the value as the runtime printed it: Empty "", Booleans
    // "True"/"False", doubles with at most 15 significant digits, money with
    // at most 4 decimals. Null raises "invalid use of Null" (94).
    std::string toText() const;
    // Conversions; text goes through the numeric test. Empty converts to 0.
    pelmora::Currency toCurrency() const;
    double toDouble() const;
    std::int16_t toInt16() const; // round half to even
    std::int32_t toInt32() const; // round half to even
    bool toBool() const;

    const std::string* asString() const { return std::get_if<std::string>(&v_); }

    friend bool operator==(const Variant& a, const Variant& b) = default;

private:
    std::variant<std::monostate, NullTag, bool, std::int16_t, std::int32_t, double, pelmora::Currency,
                 std::string>
        v_;
    friend bool operator==(NullTag, NullTag) { return true; }
};

// A double printed as the runtime printed it: at most 15 significant digits,
// "1E+16" style past that range.
std::string doubleToText(double d);

} // namespace pelmora
