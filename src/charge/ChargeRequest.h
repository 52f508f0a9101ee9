#pragma once
// The charge request of one pricing run, built from what the main window
// holds: the header string sPara1, the drug lines sPara2 (one line for every
// grid row, empty rows too), and the two changes the run makes to the screen.

#include "ChargeInput.h"

#include <exception>
#include <functional>
#include <string>

namespace pelmora {

class RefConnection;
class clsYakGa;

struct ChargeRequest {
    // False when a guard held the run back (window loading, no row, one row
    // without a code): nothing is priced and the result grids stay as they are.
    bool run = false;
    std::string sPara1, sPara2;
    // Late night for a child was chosen for a patient who is not a child:
    // the request says night, and cmb시간외 must show 야간 (index 1) too.
    bool set시간외야간 = false;
    // The labels' Tag scratch as the run leaves it; written only when
    // tagsWritten (a rate label had a caption).
    bool tagsWritten = false;
    std::string lab특정기호1Tag, lab특정기호2Tag;
};

// A fresh drug price lookup for one twin code. The window hands the renewal
// of its process-wide drug object, so that object ends as the last lookup.
using NewDrugLookup = std::function<clsYakGa&()>;

ChargeRequest BuildChargeRequest(const ChargeInput& in, const NewDrugLookup& newDrug);
// The same with a lookup object of its own per twin code, on cn.
ChargeRequest BuildChargeRequest(const ChargeInput& in, RefConnection& cn);

// The text the window shows for an error of the run: the description alone.
std::string ChargeErrorText(const std::exception& e);

} // namespace pelmora
