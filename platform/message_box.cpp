#include "platform/message_box.h"

#include <windows.h>

#include "base/message.h"
#include "base/utf8.h"

namespace lumavex {
namespace {
HWND g_owner = nullptr;
}  // namespace

void SetMessageBoxOwner(HWND owner) { g_owner = owner; }

void UseMessageBoxes() {
  SetMessageHandler([](const std::string& text, MessageIcon icon) {
    UINT flags = MB_OK;
    switch (icon) {
      case MessageIcon::Error:
        flags |= MB_ICONERROR;
        break;
      case MessageIcon::Information:
        flags |= MB_ICONINFORMATION;
        break;
      case MessageIcon::Exclamation:
        flags |= MB_ICONEXCLAMATION;
        break;
      case MessageIcon::None:
        break;
    }
    ::MessageBoxW(g_owner && ::IsWindow(g_owner) ? g_owner : ::GetActiveWindow(), Widen(text).c_str(),
                  Widen(kAppTitle).c_str(), flags);
  });
}

}  // namespace lumavex
