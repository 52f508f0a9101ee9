#pragma once
// Pricing requests on one reference connection: one at a time or a whole
// batch of JSON lines, results written as JSON lines.

#include "data/RefConnection.h"
#include "util/Messages.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace pelmora::calc {

// Writes every message to standard error and keeps the tag of the first
// error report of the current request.
class CaptureMessage : public StderrMessage {
  public:
    void information(const std::string& text, const std::string& title) override;
    void reset() { tag_.reset(); }
    const std::optional<std::string>& tag() const { return tag_; }

  private:
    std::optional<std::string> tag_;
};

class CalcSession {
  public:
    explicit CalcSession(RefConnection& cn);
    ~CalcSession();
    CalcSession(const CalcSession&) = delete;
    CalcSession& operator=(const CalcSession&) = delete;

    // Appends the result line of one request to out.
    void price(const std::string& header, const std::string& lines, std::string& out);
    // Reads one request per line and writes one result per line, in order.
    // Returns false when a line was not a request.
    bool batch(std::istream& in, std::ostream& out);
    // Requests priced so far whose run reported an error.
    int failedRuns() const { return failedRuns_; }

  private:
    RefConnection& cn_;
    CaptureMessage capture_;
    int failedRuns_ = 0;
};

} // namespace pelmora::calc
