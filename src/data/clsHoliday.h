#pragma once
// Public holidays: whether a date (YYYYMMDD, compared as text) is one.

#include "RefConnection.h"

#include <cstdint>
#include <string>

namespace pelmora {

class clsHoliday {
  public:
    explicit clsHoliday(RefConnection& cn) : cn_(cn) {}

    // Input HoliDt.
    void RecordSelect();

    bool FindResult = false;
    std::int32_t FindCount = 0;
    std::string HoliDt;
    std::string HoliNm;

  private:
    RefConnection& cn_;
};

} // namespace pelmora
