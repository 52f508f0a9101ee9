#pragma once
// Which installation root the program opens, and whether that root can
// start. A root can start when its six reference files are there or its
// Data/Pelmora.ini names a central server; otherwise the program helps the
// pharmacist fill it or pick another one first.
//
// The root picked that way is remembered per user, outside every root, in
// $XDG_CONFIG_HOME/pelmora/pelmora.conf (~/.config/pelmora/pelmora.conf):
//
//   [Start]
//   Root=/home/약사/Corvane
//
// and opened by later starts that are not given --root.

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

class StartRoot {
  public:
    // Indexes (in ReferenceFiles order) of the reference files not under root.
    static std::vector<std::size_t> missingFiles(const std::filesystem::path& root);
    // True when the root has missing reference files and no central server
    // to use instead; settings warnings go to log.
    static bool needsReferenceFiles(const std::filesystem::path& root, std::ostream& log);

    // The root a folder picked by the pharmacist stands for: the folder
    // itself, or the root above it when it is a root's TX60 or TX60/SubPrg.
    static std::filesystem::path rootOf(const std::filesystem::path& picked);

    // Where a demo root is made: $XDG_DATA_HOME/pelmora/demo
    // (~/.local/share/pelmora/demo), apart from the real store.
    static std::filesystem::path demoRoot();
    static std::filesystem::path configFile();

    // The remembered root; nullopt when none is (or the file cannot be read).
    static std::optional<std::filesystem::path> remembered();
    // Writes the remembered root beside the file and renames it over, so the
    // file is whole or unchanged. False with why when it cannot.
    static bool remember(const std::filesystem::path& root, std::string* why = nullptr);
};

} // namespace pelmora
