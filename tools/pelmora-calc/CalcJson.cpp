#include "CalcJson.h"

#include "charge/AccountFields.h"

#include <charconv>
#include <vector>

namespace pelmora::calc {

namespace {
// Length of the valid UTF-8 sequence at s[i], 0 when it is not one.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    unsigned min;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    unsigned cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

// Money with exactly four decimals, as Currency::toFixed(4) writes it.
void appendMoney(std::string& out, Currency c) {
    const std::int64_t t = c.ticks();
    std::uint64_t mag = t < 0 ? 0 - static_cast<std::uint64_t>(t) : static_cast<std::uint64_t>(t);
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, mag / 10000);
    const unsigned frac = static_cast<unsigned>(mag % 10000);
    out.push_back('"');
    if (t < 0) out.push_back('-');
    out.append(buf, r.ptr);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + frac / 1000));
    out.push_back(static_cast<char>('0' + frac / 100 % 10));
    out.push_back(static_cast<char>('0' + frac / 10 % 10));
    out.push_back(static_cast<char>('0' + frac % 10));
    out.push_back('"');
}

// The keys, already quoted, with the separators around them.
const std::vector<std::string>& keys() {
    static const std::vector<std::string> k = [] {
        std::vector<std::string> v;
        bool first = true;
        for (const auto& f : accountFields()) {
            std::string key = first ? "{" : ",";
            first = false;
            appendJsonString(key, f.name);
            v.push_back(key + ":");
        }
        return v;
    }();
    return k;
}
} // namespace

void appendJsonString(std::string& out, const std::string& s) {
    static const char* const kHex = "0123456789abcdef";
    out.push_back('"');
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
            }
            ++i;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (std::size_t n = utf8Length(s, i)) {
            out.append(s, i, n);
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out.push_back('"');
}

void appendResult(std::string& out, const clsAccount& a, const std::optional<std::string>& error) {
    const auto fields = accountFields();
    const auto& k = keys();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += k[i];
        const auto& m = fields[i].member;
        if (auto p = std::get_if<Currency clsAccount::*>(&m)) {
            appendMoney(out, a.**p);
        } else if (auto q = std::get_if<std::string clsAccount::*>(&m)) {
            appendJsonString(out, a.**q);
        } else {
            out += fieldText(a, fields[i]); // 16-bit integers and the rate as numbers
        }
    }
    out += ",\"error\":";
    if (error) {
        appendJsonString(out, *error);
    } else {
        out += "null";
    }
    out += "}\n";
}

void appendInvalid(std::string& out, const std::string& why) {
    out += "{\"error\":";
    appendJsonString(out, "invalid request: " + why);
    out += "}\n";
}

} // namespace pelmora::calc
