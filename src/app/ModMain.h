#pragma once
// The desktop program's start: the Qt application, its look and message
// boxes, the start-up of the connections (with a progress window while the
// link database is built), then the main window until it closes.

#include "ModFirstStart.h"

class QApplication;
class QWidget;

namespace pelmora {

class CommandLine;

// The look every window shares: a Korean font at 9 points, one style.
void ApplyAppLook(QApplication& app);

// Runs the program until the main window closes; the process exit code.
// cli reports usage errors; makers fill a root that has no reference files.
int Main(int argc, char** argv, const CommandLine& cli, const RootMakers& makers);

// Keeps the local reference data current while the program runs. When a
// reference file changed since the link database was built (a monthly price
// update written over 심평원약.db, say), builds the new link database under a
// progress window and swaps it in; every reference connection handed out
// stays valid and sees the new data from the next query on. The main window
// calls it at the start of every pricing run, so a run never sees half an
// update; the drug search window calls it before searching. When nothing
// changed it costs a few system calls. In web mode, or without a link
// database, it does nothing. A build that fails says why once (box and
// standard error) and the data read so far stays in use.
void RefreshLocalMdb(QWidget* parent = nullptr);

// How many times RefreshLocalMdb has swapped in new reference data since the
// program started: a window showing a figure read from it (the notice date of
// the price list) reads it again when this number moved on.
int ReferenceGeneration();

} // namespace pelmora
