#include "ModFirstStart.h"

#include "data/StartRoot.h"
#include "data/StartUp.h"
#include "frmFirstStart.h"

namespace pelmora {

namespace {

bool showFirstStart(StartOptions& options, const RootMakers& makers, bool ready) {
    frmFirstStart window(options.root, makers, ready);
    if (window.exec() != QDialog::Accepted) return ready; // Esc keeps a root that can start
    options.root = window.chosenRoot();
    return true;
}

} // namespace

bool PrepareStartRoot(StartOptions& options, bool chooseAgain, const RootMakers& makers, std::ostream& log) {
    if (!options.rootGiven)
        if (auto remembered = StartRoot::remembered()) options.root = *remembered;
    const bool ready = !StartRoot::needsReferenceFiles(options.root, log);
    if (ready && !chooseAgain) return true;
    return showFirstStart(options, makers, ready);
}

bool OfferStartRoot(StartOptions& options, const RootMakers& makers) {
    if (StartRoot::missingFiles(options.root).empty()) return false;
    return showFirstStart(options, makers, false);
}

} // namespace pelmora
