#pragma once
// Care institutions: the class and the patient share rate of an institution
// in force on a date.

#include "RefConnection.h"

#include <cstdint>
#include <string>

namespace pelmora {

class clsHosp {
  public:
    explicit clsHosp(RefConnection& cn) : cn_(cn) {}

    // Input HospCd; sDate is used when it is a date, otherwise today.
    void RecordSelect(const std::string& sDate);

    bool FindResult = false;
    std::int32_t FindCount = 0;
    std::string HospCd;
    std::string HospAddr;
    std::string HospGu;
    std::string HospPer = "30";

  private:
    RefConnection& cn_;
};

} // namespace pelmora
