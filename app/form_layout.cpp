#include "app/form_layout.h"

#include <string>

#include "base/utf8.h"
#include "discovery/win32/window_geometry.h"
#include "platform/controls.h"

namespace lumavex {
namespace {

// The smallest font a caption is fitted down to, as a share of the font at
// the DPI: below that a clipped caption reads better than a tiny one.
constexpr int kSmallestFontPercent = 70;

// Pixels at 96 DPI beside a caption in its control: a check box's box and
// gap, a push button's margins.
constexpr int kCheckBoxRoom = 18;
constexpr int kButtonRoom = 8;

int RoomBesideCaption(HWND control) {
  wchar_t name[16] = {};
  ::GetClassNameW(control, name, 16);
  if (_wcsicmp(name, L"Static") == 0) return 0;
  if (_wcsicmp(name, L"Button") != 0) return -1;  // edits, lists, combos: no caption
  switch (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return kCheckBoxRoom;
    case BS_GROUPBOX:
      return -1;
    default:
      return kButtonRoom;
  }
}

}  // namespace

FormLayout::FormLayout() : dpi_(SystemDpi()) {}

int FormLayout::SystemDpi() {
  WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

int FormLayout::DpiOfWindow(HWND window) {
  // Windows 7 and 8 have one DPI for every monitor.
  const int dpi = WindowDpi(window);
  return dpi > 0 ? dpi : SystemDpi();
}

RECT FormLayout::Design(int id, int left, int top, int width, int height) {
  placed_.push_back(Placed{id, left, top, width, height});
  return RECT{ToPixels(left), ToPixels(top), ToPixels(left + width), ToPixels(top + height)};
}

void FormLayout::Apply(HWND form, int dpi) {
  dpi_ = dpi > 0 ? dpi : SystemDpi();
  for (const Placed& p : placed_) {
    if (const HWND control = ::GetDlgItem(form, p.id))
      ::MoveWindow(control, ToPixels(p.left), ToPixels(p.top), ToPixels(p.left + p.width) - ToPixels(p.left),
                   ToPixels(p.top + p.height) - ToPixels(p.top), FALSE);
  }
  UniqueFont font(FittingFont(form));
  if (font) {
    for (const Placed& p : placed_)
      if (const HWND control = ::GetDlgItem(form, p.id))
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    oldFont_ = std::move(font_);
    font_ = std::move(font);
  }
  ::InvalidateRect(form, nullptr, TRUE);
}

// The stock font's face at this DPI, one pixel smaller at a time until every
// caption fits the width of its control.
HFONT FormLayout::FittingFont(HWND form) const {
  LOGFONTW design{};
  if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof design, &design)) return nullptr;
  const int full = ::MulDiv(design.lfHeight, dpi_, SystemDpi());  // negative: character height
  const int smallest = full * kSmallestFontPercent / 100;
  const int smaller = full < 0 ? 1 : -1;  // toward zero, whichever sign the height has
  WindowDc dc(form);
  UniqueFont font;
  for (int height = full;; height += smaller) {
    LOGFONTW at = design;
    at.lfHeight = height;
    at.lfWidth = 0;
    font.reset(::CreateFontIndirectW(&at));
    if (!font || !dc) break;
    SelectedObject selected(dc.get(), font.get());
    bool fits = true;
    for (const Placed& p : placed_) {
      const HWND control = ::GetDlgItem(form, p.id);
      const int room = control ? RoomBesideCaption(control) : -1;
      const std::wstring text = Widen(ControlText(control));
      if (room < 0 || text.empty()) continue;
      SIZE extent{};
      ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
      if (extent.cx + ::MulDiv(room, dpi_, 96) > ToPixels(p.left + p.width) - ToPixels(p.left)) fits = false;
    }
    if (fits || height == smallest || full == 0) break;
  }
  return font.release();
}

}  // namespace lumavex
