#include "CommandLine.h"

#include <iostream>

#ifndef PELMORA_VERSION
#error "PELMORA_VERSION comes from the project version in CMakeLists.txt"
#endif

namespace pelmora {

namespace {
constexpr const char* kStandardOptions = "  -h, --help     print this help and exit\n"
                                         "      --version  print the version and exit\n";
}

CommandLine::CommandLine(std::string program, Help help)
    : program_(std::move(program)), help_(std::move(help)) {}

const char* CommandLine::version() {
    return PELMORA_VERSION;
}

std::string CommandLine::versionLine() const {
    return program_ + " " + version() + "\n";
}

std::string CommandLine::helpText() const {
    std::string text;
    for (std::size_t i = 0; i < help_.synopsis.size(); ++i)
        text += (i == 0 ? "Usage: " : "  or:  ") + program_ + " " + help_.synopsis[i] + "\n";
    if (help_.synopsis.empty()) text = "Usage: " + program_ + " [OPTION]...\n";
    if (!help_.description.empty()) text += "\n" + help_.description + "\n";
    text += "\nOptions:\n" + help_.options + kStandardOptions;
    if (!help_.notes.empty()) text += "\n" + help_.notes + "\n";
    return text;
}

std::optional<int> CommandLine::answer(int argc, const char* const* argv, std::ostream& out) const {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            out << helpText() << std::flush;
            return 0;
        }
        if (a == "--version") {
            out << versionLine() << std::flush;
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> CommandLine::answer(int argc, const char* const* argv) const {
    return answer(argc, argv, std::cout);
}

int CommandLine::usageError(const std::string& why, std::ostream& err) const {
    err << program_ << ": " << why << "\nTry '" << program_ << " --help' for more information.\n"
        << std::flush;
    return 2;
}

int CommandLine::usageError(const std::string& why) const {
    return usageError(why, std::cerr);
}

} // namespace pelmora
