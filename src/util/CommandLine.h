#pragma once
// What every Pelmora program answers the same way, as Linux tools do:
// --help (-h) prints the usage on standard output and --version prints
// "<program> <version>", both with exit status 0; a usage error is a line on
// standard error and exit status 2. A program asks answer() first thing in
// main, before it opens a window, a file or a connection:
//
//     const CommandLine cli("pelmora-x", {.synopsis = {"--root DIR"}, .description = "...",
//                                         .options = "  --root DIR  the installation root\n"});
//     if (auto done = cli.answer(argc, argv)) return *done;
//     ...
//     if (bad) return cli.usageError("--root needs a folder");
//
// The help text keeps one layout (Usage, description, Options), which the
// build turns into the program's manual page.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pelmora {

class CommandLine {
  public:
    struct Help {
        std::vector<std::string> synopsis{}; // each form of the command, after the program's name
        std::string description{};           // what the program does, in a paragraph or two
        std::string options{};               // one "  --name VALUE  meaning" line per option
        std::string notes{};                 // optional text after the options
    };

    CommandLine(std::string program, Help help);

    // When --help, -h or --version is among the arguments (before a lone
    // "--"): writes the answer to out and gives 0, the exit status.
    // Otherwise nullopt, and the program goes on with its arguments.
    std::optional<int> answer(int argc, const char* const* argv, std::ostream& out) const;
    std::optional<int> answer(int argc, const char* const* argv) const;

    // "<program>: <why>" and where to find the usage, on err; gives 2.
    int usageError(const std::string& why, std::ostream& err) const;
    int usageError(const std::string& why) const;

    std::string helpText() const;
    std::string versionLine() const;
    const std::string& program() const { return program_; }

    // The version of the whole project, e.g. "0.1.0".
    static const char* version();

  private:
    std::string program_;
    Help help_;
};

} // namespace pelmora
