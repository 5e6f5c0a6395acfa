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

}  // namespace lumavex
