// Any text as header and lines must give a result or the error path, never a
// crash, a hang or a read out of range. The input is the header, a newline,
// then the drug lines.

#include "charge/clsAccount.h"
#include "data/RefConnection.h"
#include "data/SqliteConnection.h"
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

pelmora::RefConnection& fees() {
    static auto db = [] {
        auto c = pelmora::SqliteConnection::memory();
        c->executeScript(
            "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT);"
            "INSERT INTO DBF심평원수 VALUES ('Z1000', '약국관리료', 520, '20000101'),"
            "('Z2000', '조제기본료', 1360.5, '20000101'), ('Z3000', '복약지도료', 910, '20000101'),"
            "('Z4103', '내복약조제료', 1460, '20000101'), ('Z4121', '외용약조제료', 600, '20000101'),"
            "('Z5000', '의약품관리료', 560, '20000101'), ('Z2000030', '토요', 410.25, '20000101'),"
            "('Z4103030', '토요', 0.0001, '20130101'), ('Z3000', NULL, NULL, '20200101');");
        return c;
    }();
    static pelmora::SqliteRefConnection cn(*db);
    return cn;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Silent silent;
    pelmora::setMessages(&silent);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string header = input.substr(0, cut);
    const std::string lines = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    pelmora::clsAccount a;
    a.SubAcount(header, lines, fees());
    return 0;
}
