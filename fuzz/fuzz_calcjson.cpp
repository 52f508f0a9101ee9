// pelmora-calc reads charge requests as JSON lines from a file or a pipe
// that another program writes. Any text must give exactly one JSON result
// line per input line — a priced result or {"error": …} — and each must be
// valid JSON whatever bytes the request held, never a crash or a hang.

#include "CalcSession.h"
#include "FuzzFees.h"
#include "FuzzInput.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::ostringstream out;
    {
        pelmora::calc::CalcSession session(pelmora::fuzz::fees());
        session.batch(in, out);
    }
    // One result line per request line, each a JSON object.
    std::size_t requests = 0;
    std::string line;
    for (std::istringstream lines(text); std::getline(lines, line);)
        ++requests;
    std::size_t results = 0;
    for (std::istringstream lines(out.str()); std::getline(lines, line); ++results)
        if (!nlohmann::json::parse(line, nullptr, false).is_object())
            pelmora::fuzz::fault("a result line is not a JSON object");
    if (results != requests) pelmora::fuzz::fault("not one result line per request line");
    return 0;
}
