#include "platform/message_box.h"

#include <windows.h>

#include "platform/message.h"

namespace lumavex {

void UseMessageBoxes() {
  SetMessageHandler([](const std::string& text, MessageIcon icon) {
    UINT flags = MB_OK;
    switch (icon) {
      case MessageIcon::Error: flags |= MB_ICONERROR; break;
      case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
      case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
      case MessageIcon::None: break;
    }
    ::MessageBoxA(::GetActiveWindow(), text.c_str(), kAppTitle, flags);
  });
}

}  // namespace lumavex
