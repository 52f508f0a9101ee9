#pragma once
// The benchmark store of 1,000,000 prescriptions (five years of a busy
// pharmacy from 2021, 3 drug lines each, 50,000 patients, every 17th saved
// before the stored figures), generated once into PELMORA_BENCH_STORE
// (default /tmp/pelmora-bench-totals/Pelmo.db) and reused by later runs.

#include "data/LocalStore.h"
#include "data/SqliteConnection.h"
#include "support/StoreGenerator.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>

namespace pelmora::bench {

inline std::string StorePath() {
    const char* env = std::getenv("PELMORA_BENCH_STORE");
    return env && *env ? env : "/tmp/pelmora-bench-totals/Pelmo.db";
}

inline const std::string& MillionStore() {
    static const std::string path = [] {
        const std::string p = StorePath();
        if (!std::filesystem::exists(p)) {
            std::filesystem::create_directories(std::filesystem::path(p).parent_path());
            std::cerr << "generating " << p << " ...\n";
            test::StoreShape s;
            s.prescriptions = 1000000;
            s.firstDay = std::chrono::year_month_day{std::chrono::year{2021}, std::chrono::month{1},
                                                     std::chrono::day{1}};
            s.days = 5 * 365;
            s.patients = 50000;
            s.fast = true;
            test::GenerateStore(p + ".part", s, [](long n) {
                if (n % 100000 == 0) std::cerr << "  " << n << "\n";
            });
            std::filesystem::rename(p + ".part", p);
        }
        return p;
    }();
    return path;
}

// The benchmark store opened once for the whole run.
inline SqliteConnection& store() {
    static std::unique_ptr<SqliteConnection> cn = [] {
        std::unique_ptr<SqliteConnection> c;
        if (!OpenLocalStore(c, MillionStore())) throw std::runtime_error("cannot open the benchmark store");
        return c;
    }();
    return *cn;
}

} // namespace pelmora::bench
