#pragma once
// Owners for device contexts and GDI objects. Each kind of device context is
// given back the way it was obtained: DeleteDC for a memory DC, ReleaseDC
// (remembering its window) for a window's or the screen's DC.
#include <windows.h>

#include <atomic>
#include <utility>

#include "base/unique_handle.h"

namespace lumavex {

struct MemoryDcTraits {
  using type = HDC;
  static HDC invalid() { return nullptr; }
  static void close(HDC h) { ::DeleteDC(h); }
};
// A DC made by CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

template <typename T>
struct GdiObjectTraits {
  using type = T;
  static T invalid() { return nullptr; }
  static void close(T h) { ::DeleteObject(h); }
};
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniquePalette = UniqueHandle<GdiObjectTraits<HPALETTE>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;

// A DC from GetDC or GetWindowDC; ReleaseDC needs the window it came from.
class WindowDc {
 public:
  enum class Area { Client, Whole };

  WindowDc() = default;
  explicit WindowDc(HWND window, Area area = Area::Client)
      : window_(window), dc_(area == Area::Whole ? ::GetWindowDC(window) : ::GetDC(window)) {
    if (dc_) ++live_count();
  }
  ~WindowDc() { reset(); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc(WindowDc&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = other.window_;
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_) {
      ::ReleaseDC(window_, dc_);
      --live_count();
      dc_ = nullptr;
    }
  }

  static std::atomic<long>& live_count() {
    static std::atomic<long> count{0};
    return count;
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects a GDI object into a DC for the life of the scope and selects the
// previous one back, so that the object can then be deleted.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc) {
    if (dc_ && object) previous_ = ::SelectObject(dc_, object);
  }
  ~SelectedObject() {
    if (dc_ && previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// The same for a palette, which has its own selection call.
class SelectedPalette {
 public:
  SelectedPalette(HDC dc, HPALETTE palette) : dc_(dc) {
    if (dc_ && palette) previous_ = ::SelectPalette(dc_, palette, FALSE);
  }
  ~SelectedPalette() { restore(); }
  SelectedPalette(const SelectedPalette&) = delete;
  SelectedPalette& operator=(const SelectedPalette&) = delete;

  void restore() {
    if (dc_ && previous_) ::SelectPalette(dc_, previous_, FALSE);
    previous_ = nullptr;
  }

 private:
  HDC dc_;
  HPALETTE previous_ = nullptr;
};

// BeginPaint for the life of the scope and EndPaint at its end, which every
// BeginPaint needs (it also shows the caret again).
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC dc() const { return dc_; }
  const PAINTSTRUCT& info() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// GDI objects of this process, as the system counts them.
inline DWORD ProcessGdiObjectCount() { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); }

}  // namespace lumavex
