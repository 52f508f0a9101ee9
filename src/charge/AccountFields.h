#pragma once
// The result variables of clsAccount by name, in declaration order, for
// everything that lists or compares a whole result (the command-line pricing,
// the golden cases).

#include "clsAccount.h"

#include <span>
#include <string>
#include <variant>

namespace pelmora {

struct AccountField {
    using Member = std::variant<std::int16_t clsAccount::*, std::string clsAccount::*, Currency clsAccount::*,
                                double clsAccount::*>;
    const char* name;
    Member member;
};

// All 101 result variables.
std::span<const AccountField> accountFields();

// The value as text: money with four decimals, the rate as the shortest text
// that reads back to the same double, integers and text as they are.
std::string fieldText(const clsAccount& a, const AccountField& f);

} // namespace pelmora
