#pragma once
// The start of the program without its window: the folders, the store, and
// the one choice of where reference data comes from for the whole run —
// the central server when it answers, else the local link database. The
// window layer calls it first and shows the main window when it says so.

#include "InstanceLock.h"
#include "KvAdo.h"
#include "LinkDatabase.h"
#include "SqliteConnection.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace pelmora {

// The program-wide connections, living until the main window unloads.
class ProcessObjects {
  public:
    std::unique_ptr<SqliteConnection> CnSqlite; // the store, always open after start-up
    KvAdo::Connection CnWeb;                    // open only in web mode
    std::unique_ptr<LinkDatabase> CnMdb;        // open only in local mode
    std::filesystem::path root;
    InstanceLock instance; // this copy is the one running on root

    // False in web mode, true in local mode; set once by the start-up and
    // never changed. Raises when asked before it was set.
    bool LocalMode() const;
    bool modeChosen() const { return localMode_.has_value(); }
    void setLocalMode(bool local); // a second call raises
    // The reference connection of the mode.
    RefConnection& reference();
    // The main window's unload: every connection closed, the running-copy
    // lock given up last; the mode stays.
    void release();

  private:
    std::optional<bool> localMode_;
};

// The one instance the program uses.
ProcessObjects& processObjects();

struct StartOptions {
    std::filesystem::path root;
    bool rootGiven = false; // --root was on the command line
};

// $HOME/Corvane, or --root DIR (also --root=DIR); other arguments are left
// for the window layer. A --root without a folder gives nullopt.
std::optional<StartOptions> parseStartOptions(int argc, const char* const* argv);
std::filesystem::path defaultRoot();

// Runs the start-up into objects, showing its boxes through messages() and
// writing what the user is not shown to log. True when the main window
// should be shown; false when the program must end.
// progress hears of a build of the link database while it runs.
bool RunStartUp(const StartOptions& options, ProcessObjects& objects, std::ostream& log,
                const LinkProgressFn& progress = {});
// The store part of it: takes the running-copy lock of root and opens the
// store into objects.CnSqlite, telling the pharmacist what is wrong. False
// when the program must end.
bool OpenStore(const std::filesystem::path& root, ProcessObjects& objects, std::ostream& log);

} // namespace pelmora
