#pragma once
// One JSON line per priced request: the 101 result variables by name in
// declaration order, then "error". Money is a string with four decimals, the
// 16-bit integers and the rate are numbers, text is a string.

#include "charge/clsAccount.h"

#include <optional>
#include <string>

namespace pelmora::calc {

// Appends s as a JSON string; invalid UTF-8 becomes U+FFFD.
void appendJsonString(std::string& out, const std::string& s);

// The result object; error is the tag of the first failure, if any.
void appendResult(std::string& out, const clsAccount& a, const std::optional<std::string>& error);

// {"error":"invalid request: <why>"}
void appendInvalid(std::string& out, const std::string& why);

} // namespace pelmora::calc
