// The receipt and the detailed statement of the prescription on screen, and
// the settings window with the pharmacy's own details.

#include "frmMain.h"

namespace pelmora {

void frmMain::cmd영수증_Click() {}

void frmMain::cmd설정_Click() {}

} // namespace pelmora
