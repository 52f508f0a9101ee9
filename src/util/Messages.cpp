#include "Messages.h"

#include "RuntimeError.h"

#include <iostream>

namespace pelmora {

namespace {
StderrMessage& stderrMessage() {
    static StderrMessage m;
    return m;
}
IMessage* g_impl = nullptr;
} // namespace

void StderrMessage::information(const std::string& text, const std::string& title) {
    std::cerr << "[" << title << "] " << text << '\n';
}
void StderrMessage::plain(const std::string& text, const std::string& title) {
    std::cerr << "[" << title << "] " << text << '\n';
}
bool StderrMessage::question(const std::string& text, const std::string& title) {
    std::cerr << "[" << title << "] " << text << " (아니오)\n";
    return false;
}
std::string StderrMessage::input(const std::string& prompt, const std::string& title,
                                 const std::string& defaultValue) {
    std::cerr << "[" << title << "] " << prompt << " (" << defaultValue << ")\n";
    return defaultValue;
}

IMessage& messages() { return g_impl ? *g_impl : stderrMessage(); }
void setMessages(IMessage* impl) { g_impl = impl; }

std::string errorText(const std::string& tag, std::int32_t number, const std::string& description) {
    return tag + " " + std::to_string(number) + " " + description;
}

void ShowError(const std::string& tag, std::int32_t number, const std::string& description) {
    messages().information(errorText(tag, number, description), "오류");
}

void ShowError(const std::string& tag, const RuntimeError& error) {
    ShowError(tag, error.number(), error.description());
}

} // namespace pelmora
