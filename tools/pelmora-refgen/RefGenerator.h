#pragma once
// Writes a complete set of the six reference files of demo data into an
// installation root: the published fee schedule, holidays and special codes
// with invented drugs and institutions. Each file is written beside its
// final name and renamed over it when complete, so a running program never
// opens half a file.

#include <filesystem>
#include <string>

namespace pelmora::refgen {

struct Options {
    int drugs = 3000;
    int years = 15; // yearly price periods per drug, ending with the last fee year
    int institutions = 3000;
    unsigned long long seed = 20240101;
};

struct Summary {
    long long feeRows = 0, drugRows = 0, holidays = 0, institutions = 0, specialCodes = 0, packDrugs = 0;
    double seconds = 0;
};

class RefGenerator {
  public:
    // Raises std::exception (RuntimeError for database failures, ImportError
    // while another writer has a file) when it cannot; files already renamed
    // stay, the others are left as they were.
    static Summary generate(const std::filesystem::path& root, const Options& options);
};

} // namespace pelmora::refgen
