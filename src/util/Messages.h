#pragma once
// The user-message interface. Logic below the windows never shows a box
// itself: it asks the installed implementation, which is Qt message boxes in
// the program, a recording script in tests and standard error in the tools.

#include <cstdint>
#include <string>

namespace pelmora {

class RuntimeError;

inline constexpr const char* kAppTitle = "Pelmora";

class IMessage {
public:
    virtual ~IMessage() = default;
    // An information box with an OK button.
    virtual void information(const std::string& text, const std::string& title) = 0;
    // A box without icon, OK button only.
    virtual void plain(const std::string& text, const std::string& title) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const std::string& text, const std::string& title) = 0;
    // An input box with a default; the runtime gave "" for Cancel.
    virtual std::string input(const std::string& prompt, const std::string& title,
                              const std::string& defaultValue) = 0;
};

// Writes every box to standard error; questions are answered No, inputs with
// their default. Serves the command-line tools.
class StderrMessage : public IMessage {
public:
    void information(const std::string& text, const std::string& title) override;
    void plain(const std::string& text, const std::string& title) override;
    bool question(const std::string& text, const std::string& title) override;
    std::string input(const std::string& prompt, const std::string& title,
                      const std::string& defaultValue) override;
};

// The process-wide implementation; a StderrMessage until one is installed.
IMessage& messages();
// Installs an implementation (not owned); nullptr goes back to standard error.
void setMessages(IMessage* impl);

// The shared error reporter: tag, a blank, the number, a blank, the description,
// in an information box titled "오류".
std::string errorText(const std::string& tag, std::int32_t number, const std::string& description);
void ShowError(const std::string& tag, std::int32_t number, const std::string& description);
void ShowError(const std::string& tag, const RuntimeError& error);

} // namespace pelmora
