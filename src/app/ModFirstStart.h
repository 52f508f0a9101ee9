#pragma once
// The first start that helps. A root that cannot start — no reference files
// and no central server — is never met with a box and an end: the
// first-start window says what is missing and fills the root, makes a demo
// root or opens another one, remembers the choice (StartRoot) and lets the
// start-up go on with it.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace pelmora {

struct StartOptions;

// Progress of long work: done of total steps (total 0 while unknown) and
// what is being done, in words for the window.
using RootProgress = std::function<void(int done, int total, const std::string& what)>;
// Writes the six reference files into a root. Runs on a worker thread,
// raises std::exception when it cannot, and leaves no half-written file.
using RootMaker = std::function<void(const std::filesystem::path& root, const RootProgress& progress)>;

// What the program can fill a root with; the program decides, so the
// window needs no generator or import of its own.
struct RootMakers {
    RootMaker demo; // plausible demo data
    RootMaker real; // the published national data; empty while the program has no import
};

// Before the start-up: without --root the remembered root is opened. When
// that root cannot start, or chooseAgain (--choose-root) asks for it, the
// first-start window is shown. False when the pharmacist ends the program
// there; otherwise options.root is the root to start.
bool PrepareStartRoot(StartOptions& options, bool chooseAgain, const RootMakers& makers, std::ostream& log);

// After a start-up that ended with reference files missing (a central
// server was set but did not answer): the window again. True when another
// root was chosen and the start-up should run once more.
bool OfferStartRoot(StartOptions& options, const RootMakers& makers);

} // namespace pelmora
