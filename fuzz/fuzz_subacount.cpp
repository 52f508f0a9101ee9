// Any text as header and lines must give a result or the error path, never a
// crash, a hang or a read out of range. The input is the header, a newline,
// then the drug lines.

#include "FuzzFees.h"
#include "charge/clsAccount.h"
#include "util/Messages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

class Silent : public pelmora::IMessage {
  public:
    void information(const std::string&, const std::string&) override {}
    void plain(const std::string&, const std::string&) override {}
    bool question(const std::string&, const std::string&) override { return false; }
    std::string input(const std::string&, const std::string&, const std::string& d) override { return d; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Silent silent;
    pelmora::setMessages(&silent);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string header = input.substr(0, cut);
    const std::string lines = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    pelmora::clsAccount a;
    a.SubAcount(header, lines, pelmora::fuzz::fees());
    return 0;
}
