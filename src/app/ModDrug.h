#pragma once
// The process-wide drug object: one clsYakGa shared by the prescription grid
// and the drug search window. Taking a drug in the search window replaces it
// with a new instance, so the grid reads exactly the drug that was taken and
// nothing left over from an earlier lookup.

namespace pelmora {

class RefConnection;
class clsYakGa;

// The current drug object; made on the connection at first use.
clsYakGa& processDrug(RefConnection& cn);
// Replaces the drug object with a new one on the connection.
clsYakGa& renewProcessDrug(RefConnection& cn);
// True once a drug object exists.
bool hasProcessDrug();
// Drops the drug object; the main window does so when it unloads, before its
// reference connection goes.
void releaseProcessDrug();

} // namespace pelmora
