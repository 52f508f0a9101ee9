#include "TerminalProgress.h"

#include <cstdio>
#include <unistd.h>

namespace pelmora {

TerminalProgress::TerminalProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
    done();
}

BackupProgress TerminalProgress::callback() {
    return [this](BackupStep step, double fraction) { return show(step, fraction); };
}

bool TerminalProgress::show(BackupStep step, double fraction) {
    if (!terminal_) return true;
    const int percent = fraction < 0 ? -1 : static_cast<int>(fraction * 100);
    if (static_cast<int>(step) == lastStep_ && percent == lastPercent_) return true;
    lastStep_ = static_cast<int>(step);
    lastPercent_ = percent;
    if (percent < 0)
        std::fprintf(stderr, "\r\033[K%s ...", BackupStepText(step));
    else
        std::fprintf(stderr, "\r\033[K%s %3d%%", BackupStepText(step), percent);
    std::fflush(stderr);
    drawn_ = true;
    return true;
}

void TerminalProgress::done() {
    if (!drawn_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = false;
}

} // namespace pelmora
