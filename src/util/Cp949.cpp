#include "Cp949.h"

#include <cerrno>
#include <iconv.h>
#include <unordered_map>

namespace pelmora {

namespace {

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

const Converter& toCodePage() {
    thread_local Converter c("CP949", "UTF-8");
    return c;
}
const Converter& fromCodePage() {
    thread_local Converter c("UTF-8", "CP949");
    return c;
}

// Length of the valid UTF-8 sequence starting at s[i], 0 when it is not one
// (stray continuation byte, overlong form, surrogate, past U+10FFFF, cut short).
std::size_t sequenceLength(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    std::size_t n;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

// The character's CP949 bytes, or "" when the code page does not hold it.
std::string encodeOne(std::string_view utf8Char) {
    const Converter& c = toCodePage();
    if (!c.ok()) return {};
    c.reset();
    char out[8];
    char* in = const_cast<char*>(utf8Char.data());
    std::size_t inLeft = utf8Char.size(), outLeft = sizeof out;
    char* o = out;
    if (iconv(c.get(), &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return {};
    return std::string(out, static_cast<std::size_t>(o - out));
}

int widthOf(char32_t cp, std::string_view utf8Char) {
    if (cp < 0x80) return 1;
    if (cp >= 0xAC00 && cp <= 0xD7A3) return 2; // every modern syllable is in the code page
    thread_local std::unordered_map<char32_t, int> cache;
    auto it = cache.find(cp);
    if (it != cache.end()) return it->second;
    std::string bytes = encodeOne(utf8Char);
    int w = bytes.empty() ? 1 : static_cast<int>(bytes.size());
    cache.emplace(cp, w);
    return w;
}

} // namespace

std::vector<Cp949Unit> cp949Units(std::string_view utf8) {
    std::vector<Cp949Unit> units;
    units.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        std::size_t n = sequenceLength(utf8, i, cp);
        if (n == 0) {
            units.push_back({i, 1, 1, false});
            ++i;
            continue;
        }
        units.push_back({i, n, widthOf(cp, utf8.substr(i, n)), true});
        i += n;
    }
    return units;
}

std::size_t cp949Length(std::string_view utf8) {
    std::size_t total = 0;
    for (const auto& u : cp949Units(utf8))
        total += static_cast<std::size_t>(u.width);
    return total;
}

std::string toCp949(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const auto& u : cp949Units(utf8)) {
        if (!u.valid) {
            out.push_back('?');
            continue;
        }
        std::string_view ch = utf8.substr(u.offset, u.size);
        if (u.size == 1) {
            out.append(ch);
            continue;
        }
        std::string bytes = encodeOne(ch);
        out.append(bytes.empty() ? std::string("?") : bytes);
    }
    return out;
}

std::string fromCp949(std::string_view bytes) {
    const Converter& c = fromCodePage();
    std::string out;
    if (!c.ok()) return out;
    c.reset();
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buf[256];
    while (inLeft > 0) {
        char* o = buf;
        std::size_t outLeft = sizeof buf;
        std::size_t r = iconv(c.get(), &in, &inLeft, &o, &outLeft);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // Not CP949 (or cut short at the end): replace one byte and go on.
            out.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
            c.reset();
        }
    }
    return out;
}

std::string joinUnits(std::string_view utf8, const std::vector<Cp949Unit>& units, std::size_t from,
                      std::size_t to) {
    std::string out;
    for (std::size_t k = from; k < to && k < units.size(); ++k) {
        const auto& u = units[k];
        if (u.valid)
            out.append(utf8.substr(u.offset, u.size));
        else
            out.push_back('?');
    }
    return out;
}

} // namespace pelmora
