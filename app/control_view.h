#pragma once
// A conversion shown in the main window's controls: a list box with the
// frame files whose selected entry is the frame being encoded ("Currently
// encoding:"), a picture view with the frame and, when given, the progress.
// Messages are the program's modal message boxes.
#include <windows.h>

#include "app/conversion_progress.h"
#include "writeavi/win32/convert_folder.h"

namespace lumavex {

class ControlConversionView : public ConversionView {
 public:
  ControlConversionView(HWND list, HWND preview, ConversionProgress* progress = nullptr)
      : list_(list), preview_(preview), progress_(progress) {}

  void Frames(const std::vector<std::string>& names) override;
  void Current(int index) override;
  void Preview(const Image& picture) override;
  void Message(const std::string& text, MessageIcon icon) override;

 private:
  HWND list_;
  HWND preview_;
  ConversionProgress* progress_;
  int total_ = 0;
};

}  // namespace lumavex
