#pragma once
// Run-time errors as the program reports them: a number and a description.
// Error numbers follow the runtime the system was written for, so messages
// built from them ("tag number description") read the same as they always did.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pelmora {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(std::int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string description_;
};

namespace rterr {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInvalidArgument = 5;

RuntimeError overflow();
RuntimeError typeMismatch();
RuntimeError subscriptOutOfRange();
RuntimeError divisionByZero();
RuntimeError invalidArgument();
} // namespace rterr

} // namespace pelmora
