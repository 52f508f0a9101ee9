// The receipt and the detailed statement of the prescription on screen, what
// was charged for it, and the settings window with the pharmacy's own details.

#include "frmMain.h"

#include "KVSp.h"
#include "charge/ReceiptFigures.h"

namespace pelmora {

// The grid rows are the request's line records, one for one.
void frmMain::keepFigures(const clsAccount& account, const std::string& sPara1, const std::string& sPara2,
                          bool runError) {
    std::vector<std::string> names;
    for (int r = 1; r <= Sp처방->MaxRows(); ++r)
        names.push_back(Sp처방->Cell(r, 2).toText());
    figures_ = ReceiptFigures(account, sPara1, sPara2, names, runError);
}

std::optional<StoredCharge> frmMain::figuresForSave() const {
    return figures_;
}

void frmMain::cmd영수증_Click() {}

void frmMain::cmd설정_Click() {}

} // namespace pelmora
