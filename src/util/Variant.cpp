#include "Variant.h"

#include "NumericText.h"
#include "RuntimeError.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace pelmora {

namespace {
RuntimeError invalidUseOfNull() { return {94, "Null 사용이 잘못되었습니다."}; }

double doubleFromText(const std::string& s) {
    auto d = numericTextToDouble(s);
    if (!d) throw rterr::typeMismatch();
    if (!std::isfinite(*d)) throw rterr::overflow();
    return *d;
}

template <typename Int> Int roundDoubleTo(double d) {
    if (!std::isfinite(d)) throw rterr::overflow();
    double r = std::nearbyint(d); // half to even
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throw rterr::overflow();
    return static_cast<Int>(r);
}
} // namespace

std::string doubleToText(double d) {
    if (d == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    std::string s = buf;
    // "%G" drops trailing zeros and prints exponents as E+16 / E-05, as the runtime did.
    return s;
}

bool Variant::isNumeric() const {
    switch (kind()) {
    case Kind::Null:
        return false;
    case Kind::String:
        return isNumericText(std::get<std::string>(v_));
    default:
        return true;
    }
}

std::string Variant::toText() const {
    switch (kind()) {
    case Kind::Empty:
        return "";
    case Kind::Null:
        throw invalidUseOfNull();
    case Kind::Boolean:
        return std::get<bool>(v_) ? "True" : "False";
    case Kind::Integer:
        return std::to_string(std::get<std::int16_t>(v_));
    case Kind::Long:
        return std::to_string(std::get<std::int32_t>(v_));
    case Kind::Double:
        return doubleToText(std::get<double>(v_));
    case Kind::Currency:
        return std::get<pelmora::Currency>(v_).toText();
    case Kind::String:
        return std::get<std::string>(v_);
    }
    return "";
}

pelmora::Currency Variant::toCurrency() const {
    switch (kind()) {
    case Kind::Empty:
        return {};
    case Kind::Null:
        throw invalidUseOfNull();
    case Kind::Boolean:
        return pelmora::Currency::fromWon(std::get<bool>(v_) ? -1 : 0);
    case Kind::Integer:
        return pelmora::Currency::fromWon(std::get<std::int16_t>(v_));
    case Kind::Long:
        return pelmora::Currency::fromWon(std::get<std::int32_t>(v_));
    case Kind::Double:
        return pelmora::Currency::fromDouble(std::get<double>(v_));
    case Kind::Currency:
        return std::get<pelmora::Currency>(v_);
    case Kind::String:
        return pelmora::Currency::parse(std::get<std::string>(v_));
    }
    return {};
}

double Variant::toDouble() const {
    switch (kind()) {
    case Kind::Empty:
        return 0;
    case Kind::Null:
        throw invalidUseOfNull();
    case Kind::Boolean:
        return std::get<bool>(v_) ? -1 : 0;
    case Kind::Integer:
        return std::get<std::int16_t>(v_);
    case Kind::Long:
        return std::get<std::int32_t>(v_);
    case Kind::Double:
        return std::get<double>(v_);
    case Kind::Currency:
        return std::get<pelmora::Currency>(v_).toDouble();
    case Kind::String:
        return doubleFromText(std::get<std::string>(v_));
    }
    return 0;
}

std::int16_t Variant::toInt16() const {
    switch (kind()) {
    case Kind::Integer:
        return std::get<std::int16_t>(v_);
    case Kind::Currency:
        return std::get<pelmora::Currency>(v_).toInt16();
    default:
        return roundDoubleTo<std::int16_t>(toDouble());
    }
}

std::int32_t Variant::toInt32() const {
    switch (kind()) {
    case Kind::Integer:
        return std::get<std::int16_t>(v_);
    case Kind::Long:
        return std::get<std::int32_t>(v_);
    case Kind::Currency:
        return std::get<pelmora::Currency>(v_).toInt32();
    default:
        return roundDoubleTo<std::int32_t>(toDouble());
    }
}

bool Variant::toBool() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(v_);
    case Kind::String: {
        const auto& s = std::get<std::string>(v_);
        std::string_view t = trimSpaces(s);
        if (t == "True" || t == "true" || t == "TRUE") return true;
        if (t == "False" || t == "false" || t == "FALSE") return false;
        return toDouble() != 0;
    }
    default:
        return toDouble() != 0;
    }
}

} // namespace pelmora
