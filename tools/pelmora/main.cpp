// The desktop program: pelmora [--root DIR] [--choose-root]

#include "RefGenerator.h"
#include "app/ModMain.h"
#include "data/RealRoot.h"
#include "util/CommandLine.h"

namespace {

const pelmora::CommandLine
    cli("pelmora",
        {.synopsis = {"[--root DIR] [--choose-root] [QT-OPTION]..."},
         .description =
             "Prices Korean community-pharmacy prescriptions under the national health insurance fee\n"
             "schedule and keeps them in a local store. Without --root it opens the installation root\n"
             "chosen last (remembered in $XDG_CONFIG_HOME/pelmora/pelmora.conf), else $HOME/Corvane.\n"
             "When the root has no reference files, a window offers to make demo data, to make the\n"
             "real reference files, or to open another root.",
         .options =
             "  --root DIR     the installation root (Data/Pelmo.db, Data/Pelmora.ini, TX60/SubPrg/*.db)\n"
             "  --choose-root  show the window that chooses the installation root, even when it is ready\n",
         .notes = "Qt's own options, such as -platform offscreen or -style Fusion, are taken as well."});

// A demo root: the generator's data with its default size, in well under a second.
void makeDemoRoot(const std::filesystem::path& root, const pelmora::RootProgress& progress) {
    progress(0, 1, "연습용 참조 자료를 만드는 중입니다...");
    pelmora::refgen::RefGenerator::generate(root, {});
    progress(1, 1, {});
}

// A real root: the published fee schedule and holidays; the drug price list
// is then taken in from the national list file (F6 in the main window).
void makeRealRoot(const std::filesystem::path& root, const pelmora::RootProgress& progress) {
    progress(0, 1, "공개된 수가와 공휴일로 참조 자료를 만드는 중입니다...");
    pelmora::RealRoot::make(root);
    progress(1, 1, {});
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    return pelmora::Main(argc, argv, cli, {.demo = makeDemoRoot, .real = makeRealRoot});
}
