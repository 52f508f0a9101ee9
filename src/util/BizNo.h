#pragma once
// Business registration numbers (사업자등록번호): ten digits, the last a check
// digit over the first nine, written 123-45-67890.

#include <string>
#include <string_view>

namespace pelmora {

// The digits of the number, hyphens and blanks dropped; "" when anything
// else is in it.
std::string BizNoDigits(std::string_view text);
// Ten digits whose check digit agrees.
bool BizNoValid(std::string_view text);
// 123-45-67890 for ten digits; anything else comes back as it is.
std::string BizNoFormat(std::string_view text);

} // namespace pelmora
