// Importing a drug price list file into the reference files from the window.

#include "frmMain.h"

namespace pelmora {

void frmMain::cmd약가_Click() {}

} // namespace pelmora
