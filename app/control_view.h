#pragma once
// A conversion shown in two controls, as the main window shows it: a list
// box with the frame files whose selected entry is the frame being encoded
// ("Currently encoding:"), and a picture view with the frame. Messages are
// the program's modal message boxes.
#include <windows.h>

#include "writeavi/win32/convert_folder.h"

namespace lumavex {

class ControlConversionView : public ConversionView {
 public:
  ControlConversionView(HWND list, HWND preview) : list_(list), preview_(preview) {}

  void Frames(const std::vector<std::string>& names) override;
  void Current(int index) override;
  void Preview(const Image& picture) override;
  void Message(const std::string& text, MessageIcon icon) override;

 private:
  HWND list_;
  HWND preview_;
};

}  // namespace lumavex
