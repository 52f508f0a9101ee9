#pragma once
// The number of the run-time error a call raises, 0 when it raises none.

#include "util/RuntimeError.h"

#include <cstdint>

namespace pelmora::test {

inline std::int32_t errorOf(auto&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace pelmora::test
