// The day's and the year's totals, and a backup of the store on demand.

#include "frmMain.h"

namespace pelmora {

void frmMain::cmd집계_Click() {}

void frmMain::cmd백업_Click() {}

} // namespace pelmora
