#include "XlsxReader.h"

#include "Variant.h"

#include <expat.h>
#include <unzip.h>

#include <cstdlib>
#include <exception>
#include <string_view>
#include <utility>

namespace pelmora {

namespace {

using Kind = XlsxError::Kind;
constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kMaxColumns = 16384; // XFD, the last column a workbook may have

// One parse of one part of the workbook: expat with namespaces, so element
// and attribute names reach the handlers without their prefixes.
class Sax {
  public:
    Sax() : p_(XML_ParserCreateNS(nullptr, '|')) {
        XML_SetUserData(p_, this);
        XML_SetElementHandler(p_, onStart, onEnd);
        XML_SetCharacterDataHandler(p_, onText);
    }
    virtual ~Sax() { XML_ParserFree(p_); }
    Sax(const Sax&) = delete;
    Sax& operator=(const Sax&) = delete;

    // False when a handler stopped the parse.
    bool feed(const char* data, std::size_t n, bool last, const std::string& part) {
        if (XML_Parse(p_, data, static_cast<int>(n), last ? XML_TRUE : XML_FALSE) != XML_STATUS_ERROR)
            return true;
        if (failure_) std::rethrow_exception(failure_);
        if (stopped_) return false;
        throw XlsxError(Kind::Damaged,
                        part + " " + std::to_string(XML_GetCurrentLineNumber(p_)) +
                            "번째 줄을 읽을 수 없습니다: " + XML_ErrorString(XML_GetErrorCode(p_)));
    }

  protected:
    virtual void start(std::string_view name, const XML_Char** atts) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}
    void stop() {
        stopped_ = true;
        XML_StopParser(p_, XML_FALSE);
    }
    static std::string_view local(const XML_Char* name) {
        std::string_view s(name);
        const auto bar = s.rfind('|');
        return bar == std::string_view::npos ? s : s.substr(bar + 1);
    }
    static const char* attr(const XML_Char** atts, std::string_view name) {
        for (; *atts; atts += 2)
            if (local(atts[0]) == name) return atts[1];
        return nullptr;
    }

  private:
    // No exception may cross the parser's C frames: it is kept, the parse
    // stopped, and raised again once the parser has returned.
    template <class F> static void guarded(void* self, F&& f) {
        auto* sax = static_cast<Sax*>(self);
        if (sax->stopped_) return; // events the parser still delivers after a stop
        try {
            f(*sax);
        } catch (...) {
            sax->failure_ = std::current_exception();
            sax->stop();
        }
    }
    static void onStart(void* self, const XML_Char* name, const XML_Char** atts) {
        guarded(self, [&](Sax& s) { s.start(local(name), atts); });
    }
    static void onEnd(void* self, const XML_Char* name) {
        guarded(self, [&](Sax& s) { s.end(local(name)); });
    }
    static void onText(void* self, const XML_Char* text, int len) {
        guarded(self, [&](Sax& s) { s.text(std::string_view(text, static_cast<std::size_t>(len))); });
    }

    XML_Parser p_;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

// Text runs of a string item: <t> directly or inside rich-text runs <r>,
// never the phonetic guide <rPh>.
class RunText {
  public:
    void start(std::string_view n) {
        if (n == "rPh") ++phonetic_;
        if (n == "t") inT_ = true;
    }
    void end(std::string_view n) {
        if (n == "rPh") --phonetic_;
        if (n == "t") inT_ = false;
    }
    void text(std::string_view s) {
        if (inT_ && phonetic_ == 0) value_ += s;
    }
    std::string take() { return std::exchange(value_, {}); }

  private:
    std::string value_;
    int phonetic_ = 0;
    bool inT_ = false;
};

class FirstSheet : public Sax {
  public:
    std::string name, relation;
    bool found = false;

  protected:
    void start(std::string_view n, const XML_Char** atts) override {
        if (n != "sheet") return;
        const char* nm = attr(atts, "name");
        const char* id = attr(atts, "id");
        name = nm ? nm : "";
        relation = id ? id : "";
        found = true;
        stop();
    }
    void end(std::string_view) override {}
};

class SheetTarget : public Sax {
  public:
    explicit SheetTarget(std::string id) : id_(std::move(id)) {}
    std::string target;

  protected:
    void start(std::string_view n, const XML_Char** atts) override {
        const char* id = attr(atts, "Id");
        const char* t = attr(atts, "Target");
        if (n == "Relationship" && id && t && id_ == id) {
            target = t;
            stop();
        }
    }
    void end(std::string_view) override {}

  private:
    std::string id_;
};

class SharedStrings : public Sax {
  public:
    explicit SharedStrings(std::vector<std::string>& out) : out_(out) {}

  protected:
    void start(std::string_view n, const XML_Char**) override { run_.start(n); }
    void end(std::string_view n) override {
        run_.end(n);
        if (n == "si") out_.push_back(run_.take());
    }
    void text(std::string_view s) override { run_.text(s); }

  private:
    std::vector<std::string>& out_;
    RunText run_;
};

// "BC12" gives column 54 (0-based); false for a reference without letters
// or past the last column.
bool columnOf(const char* ref, std::size_t& col) {
    std::size_t c = 0;
    const char* p = ref;
    for (; *p >= 'A' && *p <= 'Z'; ++p)
        if ((c = c * 26 + static_cast<std::size_t>(*p - 'A' + 1)) > kMaxColumns) return false;
    if (c == 0) return false;
    col = c - 1;
    return true;
}

class SheetRows : public Sax {
  public:
    SheetRows(const std::vector<std::string>& strings, const XlsxReader::RowHandler& onRow)
        : strings_(strings), onRow_(onRow) {}

  protected:
    void start(std::string_view n, const XML_Char** atts) override {
        if (n == "row") {
            const char* r = attr(atts, "r");
            const long number = r ? std::strtol(r, nullptr, 10) : 0;
            row_ = number > 0 ? static_cast<std::size_t>(number - 1) : row_ + (started_ ? 1 : 0);
            started_ = true;
            cells_.clear();
            nextCol_ = 0;
        } else if (n == "c") {
            const char* ref = attr(atts, "r");
            const char* t = attr(atts, "t");
            if (!ref || !columnOf(ref, col_)) col_ = nextCol_;
            if (col_ >= kMaxColumns) throw XlsxError(Kind::Damaged, "시트의 열이 너무 많습니다");
            nextCol_ = col_ + 1;
            type_ = t ? t : "";
            value_.clear();
        } else if (n == "v") {
            inV_ = true;
        } else if (n == "is") {
            inline_ = true;
        }
        if (inline_) run_.start(n);
    }
    void end(std::string_view n) override {
        if (inline_) run_.end(n);
        if (n == "v") inV_ = false;
        if (n == "is") {
            inline_ = false;
            value_ = run_.take();
        }
        if (n == "c") {
            if (cells_.size() <= col_) cells_.resize(col_ + 1);
            cells_[col_] = cellText();
        }
        if (n == "row" && !cells_.empty() && !onRow_(row_, cells_)) stop();
    }
    void text(std::string_view s) override {
        if (inV_) value_ += s;
        if (inline_) run_.text(s);
    }

  private:
    std::string cellText() {
        if (type_ == "s") {
            char* endp = nullptr;
            const unsigned long i = std::strtoul(value_.c_str(), &endp, 10);
            if (endp == value_.c_str() || i >= strings_.size())
                throw XlsxError(Kind::Damaged, "셀이 없는 공유 문자열 번호를 가리킵니다");
            return strings_[i];
        }
        if (type_ == "b") return value_ == "1" ? "True" : "False";
        if ((type_.empty() || type_ == "n") && !value_.empty()) {
            char* endp = nullptr;
            const double d = std::strtod(value_.c_str(), &endp);
            if (endp != value_.c_str() && *endp == '\0') return doubleToText(d);
        }
        return std::move(value_); // inline, formula and error texts, ISO dates
    }

    const std::vector<std::string>& strings_;
    const XlsxReader::RowHandler& onRow_;
    XlsxReader::Cells cells_;
    std::size_t row_ = 0, col_ = 0, nextCol_ = 0;
    bool started_ = false, inV_ = false, inline_ = false;
    std::string type_, value_;
    RunText run_;
};

enum class Streamed { Missing, Done, Stopped };

} // namespace

struct XlsxReader::Archive {
    unzFile zip = nullptr;
    ~Archive() {
        if (zip) unzClose(zip);
    }

    // Feeds one part of the workbook to a parser in pieces, with the share
    // of the part read so far.
    Streamed stream(const std::string& name, Sax& sax, const ProgressHandler& progress = {}) {
        if (unzLocateFile(zip, name.c_str(), 2) != UNZ_OK) return Streamed::Missing;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK)
            throw XlsxError(Kind::Damaged, name + "의 압축을 풀 수 없습니다");
        std::vector<char> buf(kChunk);
        std::size_t done = 0;
        for (;;) {
            const int n = unzReadCurrentFile(zip, buf.data(), static_cast<unsigned>(buf.size()));
            if (n < 0) {
                unzCloseCurrentFile(zip);
                throw XlsxError(Kind::Damaged, name + "의 압축을 풀 수 없습니다 (잘렸거나 손상됨)");
            }
            done += static_cast<std::size_t>(n);
            bool more = false;
            try {
                more = sax.feed(buf.data(), static_cast<std::size_t>(n), n == 0, name);
            } catch (...) {
                unzCloseCurrentFile(zip); // the part is left, the archive stays usable
                throw;
            }
            const double share = info.uncompressed_size
                                     ? static_cast<double>(done) / static_cast<double>(info.uncompressed_size)
                                     : 0;
            if (!more || (progress && !progress(share < 1 ? share : 1))) {
                unzCloseCurrentFile(zip);
                return Streamed::Stopped;
            }
            if (n == 0) break;
        }
        if (unzCloseCurrentFile(zip) != UNZ_OK)
            throw XlsxError(Kind::Damaged, name + "이(가) 손상되었습니다 (검사합 불일치)");
        return Streamed::Done;
    }
};

XlsxReader::XlsxReader(const std::string& path) : zip_(std::make_unique<Archive>()) {
    zip_->zip = unzOpen64(path.c_str());
    FirstSheet first;
    if (!zip_->zip || zip_->stream("xl/workbook.xml", first) == Streamed::Missing)
        throw XlsxError(Kind::NotSpreadsheet, "엑셀 통합 문서(.xlsx)가 아니거나 파일이 잘렸습니다");
    if (!first.found) throw XlsxError(Kind::Damaged, "통합 문서에 시트가 없습니다");
    sheetName_ = first.name;
    SheetTarget rel(first.relation);
    zip_->stream("xl/_rels/workbook.xml.rels", rel);
    const std::string target = rel.target.empty() ? "worksheets/sheet1.xml" : rel.target;
    sheetEntry_ = target.front() == '/' ? target.substr(1) : "xl/" + target;
    SharedStrings shared(strings_);
    zip_->stream("xl/sharedStrings.xml", shared);
}

XlsxReader::~XlsxReader() = default;

bool XlsxReader::readRows(const RowHandler& onRow, const ProgressHandler& progress) {
    SheetRows rows(strings_, onRow);
    const Streamed s = zip_->stream(sheetEntry_, rows, progress);
    if (s == Streamed::Missing) throw XlsxError(Kind::Damaged, "시트 " + sheetEntry_ + "이(가) 없습니다");
    return s == Streamed::Done;
}

} // namespace pelmora
