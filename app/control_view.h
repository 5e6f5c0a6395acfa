#pragma once
// A conversion shown in the main window's controls: a list box with the
// frame files whose selected entry is the frame being encoded ("Currently
// encoding:"), a picture view with the frame and, when given, the progress.
// Messages are the program's modal message boxes. The list box holds no
// rows (CreateRowlessList): this view keeps the frame list and its owner
// has it draw the rows shown (DrawRow), as long as the list shows them.
#include <windows.h>

#include <memory>
#include <string>

#include "app/conversion_progress.h"
#include "writeavi/win32/convert_folder.h"

namespace lumavex {

class ControlConversionView : public ConversionView {
 public:
  ControlConversionView(HWND list, HWND preview, ConversionProgress* progress = nullptr)
      : list_(list), preview_(preview), progress_(progress) {}

  void Frames(std::shared_ptr<const FrameNames> names) override;
  void Current(int index) override;
  void Preview(const Image& picture) override;
  void Message(const std::string& text, MessageIcon icon) override;

  // Row `index` of the list: a frame file's name; empty when there is none.
  std::string Row(int index) const;
  // Answers WM_DRAWITEM for the list.
  void DrawRow(const DRAWITEMSTRUCT& item) const;

 private:
  HWND list_;
  HWND preview_;
  ConversionProgress* progress_;
  std::shared_ptr<const FrameNames> names_;
  int total_ = 0;
};

}  // namespace lumavex
