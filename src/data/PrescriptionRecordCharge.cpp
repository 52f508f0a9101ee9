// What was charged, saved beside the header and the lines.

#include "PrescriptionRecord.h"

namespace pelmora {

void PrescriptionRecord::saveCharge(SqliteConnection& cn, const std::string& preCd) const {
    if (charge)
        charge->Write(cn, preCd);
    else
        StoredCharge::Remove(cn, preCd);
}

} // namespace pelmora
