#pragma once
// Copies a rectangle of what is on the screen into a new picture object.
#include <windows.h>

#include <string>

#include "platform/gdi.h"
#include "platform/picture.h"

namespace lumavex {

// Copies width x height pixels at (left, top) of the source window's whole
// area (title bar and frame included) into a new bitmap picture. Source
// window null means the whole screen, so left and top are screen
// coordinates. Returns no picture when the picture cannot be made; the
// failure has then been shown to the user.
Picture CaptureWindow(HWND source, int left, int top, int width, int height);

// A capture failure as the capture procedures report it: the source name,
// the error number and the system's text for it, with nothing between them.
std::string CaptureErrorMessage(const char* source, long number);

// Wraps a bitmap and an optional palette into a picture that owns both.
// When the picture cannot be made, the user is told, both handles are
// released and no picture is returned.
Picture CreateBitmapPicture(UniqueBitmap bitmap, UniquePalette palette);

}  // namespace lumavex
