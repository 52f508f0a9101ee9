// The national drug price list file comes from outside: any bytes taken as
// the .xlsx must read as products, be refused as a bad file, or stop with the
// import's own error, never crash, hang or read out of range. The zip
// directory, the shared strings and the sheet XML are all in the bytes; the
// list's date is looked for in the sheet name and, the same way, in the
// bytes read as a file name.

#include "FuzzInput.h"
#include "data/DrugListFile.h"
#include "data/ImportError.h"
#include "util/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A date found in a name is a real YYYYMMDD day.
void checkDate(const std::string& d) {
    if (d.empty()) return;
    if (d.size() != 8 || d.find_first_not_of("0123456789") != std::string::npos)
        pelmora::fuzz::fault("a date is not eight digits");
    const int month = std::stoi(d.substr(4, 2)), day = std::stoi(d.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31) pelmora::fuzz::fault("a date is not a day");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDate(pelmora::DrugListFile::dateInName(
        std::string(reinterpret_cast<const char*>(data), size < 4096 ? size : 4096)));
    const auto file =
        pelmora::fuzz::writeInput("약제급여목록및급여상한금액표_(2024.1.1.)(1).xlsx", data, size);
    try {
        pelmora::DrugListFile list(file, "");
        checkDate(list.date());
        std::vector<pelmora::SkippedDrug> skipped;
        list.read(
            [&](pelmora::ListedDrug&& d) {
                // A product read is one the price list can hold.
                if (d.code.size() != 9 || d.code.find_first_not_of("0123456789") != std::string::npos)
                    pelmora::fuzz::fault("a product code is not nine digits");
            },
            skipped);
    } catch (const pelmora::ImportError&) {
    } catch (const pelmora::XlsxError&) {
    }
    return 0;
}
