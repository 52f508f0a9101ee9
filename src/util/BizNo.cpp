#include "BizNo.h"

#include <array>

namespace pelmora {

std::string BizNoDigits(std::string_view text) {
    std::string d;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            d += c;
        else if (c != '-' && c != ' ')
            return {};
    }
    return d;
}

// Weights 1 3 7 1 3 7 1 3 5 on the first nine digits, with the tens of the
// ninth digit times five added once more; the check digit brings the sum to
// a multiple of ten.
bool BizNoValid(std::string_view text) {
    const std::string d = BizNoDigits(text);
    if (d.size() != 10) return false;
    static constexpr std::array<int, 9> kWeights = {1, 3, 7, 1, 3, 7, 1, 3, 5};
    int sum = 0;
    for (std::size_t i = 0; i < kWeights.size(); ++i)
        sum += (d[i] - '0') * kWeights[i];
    sum += (d[8] - '0') * 5 / 10;
    return (10 - sum % 10) % 10 == d[9] - '0';
}

std::string BizNoFormat(std::string_view text) {
    const std::string d = BizNoDigits(text);
    if (d.size() != 10) return std::string(text);
    return d.substr(0, 3) + "-" + d.substr(3, 2) + "-" + d.substr(5);
}

} // namespace pelmora
