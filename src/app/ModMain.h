#pragma once
// The desktop program's start: the Qt application, its look and message
// boxes, the start-up of the connections, then the main window until it closes.

#include "ModFirstStart.h"

class QApplication;

namespace pelmora {

class CommandLine;

// The look every window shares: a Korean font at 9 points, one style.
void ApplyAppLook(QApplication& app);

// Runs the program until the main window closes; the process exit code.
// cli reports usage errors; makers fill a root that has no reference files.
int Main(int argc, char** argv, const CommandLine& cli, const RootMakers& makers);

} // namespace pelmora
