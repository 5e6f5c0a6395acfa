#pragma once
// The program's message boxes: a modal message captioned with the
// application's title. The classes that show their own messages (the BMP
// reader, the JPEG frame writer, the capture) and the main window report
// here; the program routes it to MessageBoxW (platform/message_box.*),
// tests record it. Features with a view of their own (Write Avi) report
// through that view instead, and portable logic returns its messages.
#include <functional>
#include <string>

namespace lumavex {

inline constexpr const char* kAppTitle = "Lumavex";

enum class MessageIcon { None, Error, Information, Exclamation };

// A message for the user, shown now or kept until its caller can show it.
struct UserMessage {
  std::string text;
  MessageIcon icon = MessageIcon::None;
};
inline bool operator==(const UserMessage& a, const UserMessage& b) {
  return a.text == b.text && a.icon == b.icon;
}

// Shows one message and returns when the user has dismissed it.
using MessageHandler = std::function<void(const std::string& text, MessageIcon icon)>;

// Replaces the process-wide handler and returns the previous one. Tests install
// a recorder; the program installs the message box.
MessageHandler SetMessageHandler(MessageHandler handler);

void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None);

// A message of several lines as one line (of a log, of a console): each line
// break becomes one space.
std::string OneLine(const std::string& text);

}  // namespace lumavex
