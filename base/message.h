#pragma once
// The one way the program's logic tells the user something: a modal message
// box captioned with the application's title. Portable, so that logic which
// needs no window can report through it and be tested natively; the Win32
// layer (platform/message_box.*) routes it to MessageBoxA.
#include <functional>
#include <string>

namespace lumavex {

inline constexpr const char* kAppTitle = "Lumavex";

enum class MessageIcon { None, Error, Information, Exclamation };

// Shows one message and returns when the user has dismissed it.
using MessageHandler = std::function<void(const std::string& text, MessageIcon icon)>;

// Replaces the process-wide handler and returns the previous one. Tests install
// a recorder; the program installs the message box.
MessageHandler SetMessageHandler(MessageHandler handler);

void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None);

}  // namespace lumavex
