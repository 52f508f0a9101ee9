#pragma once
// The progress of long work on standard error, one line rewritten in place,
// only when standard error is a terminal (never in a log or a pipe).

#include "data/StoreBackup.h"

namespace pelmora {

class TerminalProgress {
  public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    BackupProgress callback();
    void done(); // clears the line

  private:
    bool show(BackupStep step, double fraction);

    bool terminal_;
    int lastStep_ = -1;
    int lastPercent_ = -1;
    bool drawn_ = false;
};

} // namespace pelmora
