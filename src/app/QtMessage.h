#pragma once
// The message interface as the desktop program shows it: message boxes and
// input boxes over the active window.

#include "util/Messages.h"

namespace pelmora {

class QtMessage : public IMessage {
public:
    void information(const std::string& text, const std::string& title) override;
    void plain(const std::string& text, const std::string& title) override;
    bool question(const std::string& text, const std::string& title) override;
    std::string input(const std::string& prompt, const std::string& title,
                      const std::string& defaultValue) override;
};

} // namespace pelmora
