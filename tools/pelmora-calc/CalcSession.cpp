#include "CalcSession.h"

#include "CalcJson.h"
#include "charge/clsAccount.h"

#include <nlohmann/json.hpp>

#include <istream>
#include <ostream>

namespace pelmora::calc {

void CaptureMessage::information(const std::string& text, const std::string& title) {
    // The error reporter's text starts with its tag, up to the first blank.
    if (title == "오류" && !tag_) tag_ = text.substr(0, text.find(' '));
    StderrMessage::information(text, title);
}

CalcSession::CalcSession(RefConnection& cn) : cn_(cn) {
    setMessages(&capture_);
}

CalcSession::~CalcSession() {
    setMessages(nullptr);
}

void CalcSession::price(const std::string& header, const std::string& lines, std::string& out) {
    capture_.reset();
    clsAccount a;
    a.SubAcount(header, lines, cn_);
    if (capture_.tag()) ++failedRuns_;
    appendResult(out, a, capture_.tag());
}

namespace {
// The request fields of one batch line, or why it is none.
bool readRequest(const std::string& line, std::string& header, std::string& lines, std::string& why) {
    nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
    if (j.is_discarded()) {
        why = "not valid JSON";
        return false;
    }
    if (!j.is_object()) {
        why = "not a JSON object";
        return false;
    }
    for (const char* key : {"header", "lines"}) {
        auto it = j.find(key);
        if (it == j.end() || !it->is_string()) {
            why = std::string("\"") + key + "\" is missing or not a string";
            return false;
        }
    }
    header = j["header"].get<std::string>();
    lines = j["lines"].get<std::string>();
    return true;
}
} // namespace

bool CalcSession::batch(std::istream& in, std::ostream& out) {
    bool allValid = true;
    std::string line, header, lines, why, result;
    while (std::getline(in, line)) {
        result.clear();
        if (readRequest(line, header, lines, why)) {
            price(header, lines, result);
        } else {
            appendInvalid(result, why);
            allValid = false;
        }
        out << result;
    }
    out.flush();
    return allValid;
}

} // namespace pelmora::calc
