#pragma once
// Special codes: the version of a code in force on a date, that is the row
// with the latest version date on or before it.

#include "RefConnection.h"

#include <cstdint>
#include <string>

namespace pelmora {

class clsSpesial {
  public:
    explicit clsSpesial(RefConnection& cn) : cn_(cn) {}

    // Input SpeCd; sDate is used when it is a date, otherwise today.
    void RecordSelect(const std::string& sDate);

    bool FindResult = false;
    std::int32_t FindCount = 0;
    std::string SpeCd;
    std::string SpeNm;
    std::int16_t SpeGu = 0;

  private:
    RefConnection& cn_;
};

} // namespace pelmora
