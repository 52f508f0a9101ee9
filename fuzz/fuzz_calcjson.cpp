// pelmora-calc reads charge requests as JSON lines from a file or a pipe
// that another program writes. Any text must give exactly one JSON result
// line per input line — a priced result or {"error": …} — and each must be
// valid JSON whatever bytes the request held, never a crash or a hang.

#include "CalcSession.h"
#include "FuzzInput.h"
#include "data/RefConnection.h"
#include "data/SqliteConnection.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

pelmora::RefConnection& fees() {
    static auto db = [] {
        auto c = pelmora::SqliteConnection::memory();
        c->executeScript(
            "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT);"
            "INSERT INTO DBF심평원수 VALUES ('Z1000', '약국관리료', 520, '20000101'),"
            "('Z2000', '조제기본료', 1360.5, '20000101'), ('Z3000', '복약지도료', 910, '20000101'),"
            "('Z4103', '내복약조제료', 1460, '20000101'), ('Z4121', '외용약조제료', 600, '20000101'),"
            "('Z5000', '의약품관리료', 560, '20000101'), ('Z2000030', '토요', 410.25, '20000101');");
        return c;
    }();
    static pelmora::SqliteRefConnection cn(*db);
    return cn;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::ostringstream out;
    {
        pelmora::calc::CalcSession session(fees());
        session.batch(in, out);
    }
    // One result line per request line, each a JSON object.
    std::size_t requests = 0;
    std::string line;
    for (std::istringstream lines(text); std::getline(lines, line);)
        ++requests;
    std::size_t results = 0;
    for (std::istringstream lines(out.str()); std::getline(lines, line); ++results)
        if (!nlohmann::json::parse(line, nullptr, false).is_object()) pelmora::fuzz::fault("a result line is not a JSON object");
    if (results != requests) pelmora::fuzz::fault("not one result line per request line");
    return 0;
}
