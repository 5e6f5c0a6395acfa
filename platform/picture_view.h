#pragma once
// A control that shows a picture: at its actual size from the top-left corner
// (a picture box) or stretched to the control (an image control). It holds a
// reference to the picture, so the picture lives while it is shown.
#include <windows.h>

#include <string>

#include "platform/picture.h"

namespace lumavex {

enum class PictureFit { ActualSize, Stretch };

// Registers the window class once; returns its name.
const char* PictureViewClass();

// Creates a picture view as a child window.
HWND CreatePictureView(HWND parent, int id, const RECT& bounds, PictureFit fit, DWORD extraStyle = 0);

enum class Repaint { Now, WithNextPaint };

// Shows `picture` (or nothing). Repaint::Now paints before returning, for code
// that keeps the message loop waiting; otherwise the view is painted with the
// window's next paint, off the caller's time.
void SetViewPicture(HWND view, Picture picture, Repaint when = Repaint::Now);
// The picture the view holds now.
Picture ViewPicture(HWND view);

// Shows `text` in the middle of the view instead of a picture, until the
// next SetViewPicture; an empty text shows nothing. The text is also the
// view's window text, so screen readers (and tests) can read it.
void SetViewText(HWND view, const std::string& text);

}  // namespace lumavex
