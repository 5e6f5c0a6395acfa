#include "base/message.h"

#include <utility>

namespace lumavex {
namespace {
MessageHandler& CurrentHandler() {
  static MessageHandler handler;
  return handler;
}
}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
  MessageHandler previous = std::move(CurrentHandler());
  CurrentHandler() = std::move(handler);
  return previous;
}

void ShowMessage(const std::string& text, MessageIcon icon) {
  // Copy first: a handler may replace itself while it runs.
  MessageHandler handler = CurrentHandler();
  if (handler) handler(text, icon);
}

std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      line += text[i];
      continue;
    }
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF: one break
    if (!line.empty() && line.back() != ' ') line += ' ';
  }
  return line;
}

}  // namespace lumavex
