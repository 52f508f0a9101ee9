#include "OdbcSecret.h"

#include "data/KvAdo.h"

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <sys/stat.h>

namespace pelmora::calc {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The keys of a connection string with their values; a value in braces may
// hold ';' and a doubled '}'.
template <typename F> void eachPair(const std::string& s, F visit) {
    std::size_t at = 0;
    while (at < s.size()) {
        const std::size_t eq = s.find('=', at);
        if (eq == std::string::npos) break;
        const std::string key = trimmed(s.substr(at, eq - at));
        std::string value;
        std::size_t next = eq + 1;
        if (next < s.size() && s[next] == '{') {
            for (++next; next < s.size(); ++next) {
                if (s[next] == '}' && next + 1 < s.size() && s[next + 1] == '}') {
                    value += '}';
                    ++next;
                } else if (s[next] == '}') {
                    ++next;
                    break;
                } else {
                    value += s[next];
                }
            }
            next = s.find(';', next);
        } else {
            const std::size_t semi = s.find(';', next);
            value = s.substr(next, semi == std::string::npos ? std::string::npos : semi - next);
            next = semi;
        }
        visit(lower(key), value);
        at = next == std::string::npos ? s.size() : next + 1;
    }
}

} // namespace

std::string connectionFromFile(const std::string& file, std::ostream& warn) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("연결 문자열 파일을 읽을 수 없습니다: " + file);
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        warn << "pelmora-calc: 경고: 연결 문자열 파일(" << file
             << ")을 다른 사용자도 읽을 수 있습니다. chmod 600으로 막으십시오.\n";
    for (std::string line; std::getline(in, line);)
        if (!trimmed(line).empty()) return trimmed(line);
    throw std::runtime_error("연결 문자열 파일이 비어 있습니다: " + file);
}

std::string connectionFromEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value || trimmed(value).empty())
        throw std::runtime_error("환경 변수 " + name + "에 연결 문자열이 없습니다.");
    return trimmed(value);
}

const char* commandLineWarning() {
    return "pelmora-calc: 경고: --odbc로 준 연결 문자열(암호 포함)은 이 컴퓨터의 다른 사용자도 볼 수 "
           "있습니다. --odbc-file 파일 또는 --odbc-env 환경변수를 쓰십시오.\n";
}

std::string withPinnedTdsVersion(const std::string& connection) {
    bool tds = false, versioned = false;
    eachPair(connection, [&](const std::string& key, const std::string& value) {
        if (key == "driver" && lower(value).find("tds") != std::string::npos) tds = true;
        if (key == "tds_version") versioned = true;
    });
    if (!tds || versioned) return connection;
    std::string out = connection;
    if (!out.empty() && out.back() != ';') out += ';';
    return out + "TDS_Version=" + KvAdo().TdsVersion;
}

} // namespace pelmora::calc
