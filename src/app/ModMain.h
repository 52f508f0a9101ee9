#pragma once
// The desktop program's start: the Qt application, its look, the message
// boxes, the local store and the reference connection, then the main window.

#include <QString>

class QApplication;

namespace pelmora {

// The look every window shares: a Korean font at 9 points, one style.
void ApplyAppLook(QApplication& app);

// "--root DIR" or $HOME/Corvane.
QString RootFromArguments(const QStringList& args);

// Runs the program until the main window closes; the process exit code.
int Main(int argc, char** argv);

} // namespace pelmora
