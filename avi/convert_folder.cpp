#include "avi/convert_folder.h"

#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/avi_handles.h"
#include "avi/cdib.h"
#include "avi/frame_list.h"
#include "avi/frame_rate.h"
#include "avi/frame_through_disk.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/message.h"

namespace lumavex {
namespace {

constexpr const char* kFramePattern = "*.jpg";
constexpr const char* kProposedName = "MyAVI.avi";
constexpr const char* kTempName = "tmp.bmp";
// OF_CREATE | OF_WRITE: creates the file or truncates an existing one.
constexpr UINT kCreateForWriting = 0x1001;

// What the AVI file services handed out. The clean-up releases them in this
// order: uncompressed stream, compressed stream, file (which completes and
// closes it), then what the compression dialog allocated.
struct AviSession {
  UniqueAviFile file;
  UniqueAviStream uncompressed;
  UniqueAviStream compressed;
  AviCompressOptions options;

  AviSession() = default;
  AviSession(const AviSession&) = delete;
  AviSession& operator=(const AviSession&) = delete;
  ~AviSession() {
    uncompressed.reset();
    compressed.reset();
    file.reset();
    options.Free();
  }
};

// File1 with the folder's frame files, by name without regard to case.
void ShowFrameFiles(HWND list, const std::string& folder) {
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListClear(list);
  for (const std::string& name : ListFrameFiles(ListFileNames(folder, kFramePattern), kFramePattern))
    ListAdd(list, name);
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

std::string FramePath(const Form1& form, const std::string& folder, int index) {
  return folder + "\\" + ListText(form.File1, index);
}

// Steps from opening the target to the last frame. Every return leads to
// the caller's one clean-up; true means the closing error message is due
// (an AVI call failed, or a later frame could not be read).
bool WriteFrames(Form1& form, const AviChoices& choices, const std::string& folder, const std::string& target,
                 AviSession& avi, cDib& dib) {
  PAVIFILE file = nullptr;
  HRESULT last = ::AVIFileOpenA(&file, target.c_str(), kCreateForWriting, nullptr);
  avi.file.reset(file);
  if (last != 0) {
    ShowMessage("Can't open File to write, try to use different name to save.");
    return true;
  }

  FrameThroughDisk frames(form.File1, form.Image1, folder + "\\" + kTempName);
  if (!frames.Load(0, FramePath(form, folder, 0), dib)) {
    ShowMessage("Could not load first bitmap file in list!", MessageIcon::Exclamation);
    return false;
  }

  AVISTREAMINFOA header{};
  header.fccType = ::mmioStringToFOURCCA("vids", 0);
  header.fccHandler = 0;
  header.dwScale = 1;
  header.dwRate = static_cast<DWORD>(FrameRateFromText(ControlText(form.txtFPS)));
  header.dwSuggestedBufferSize = static_cast<DWORD>(dib.SizeImage());
  ::SetRect(&header.rcFrame, 0, 0, dib.Width(), dib.Height());

  PAVISTREAM stream = nullptr;
  last = ::AVIFileCreateStreamA(avi.file.get(), &stream, &header);
  avi.uncompressed.reset(stream);
  if (last != 0) {
    ShowMessage("Error in Creating  Avi file Stream");
    return true;
  }

  const INT_PTR chosen = choices.compression ? choices.compression(form.hwnd(), &stream, avi.options) : 0;
  last = static_cast<HRESULT>(chosen);
  if (chosen != 1) {
    avi.options.Free();
    ShowMessage("Error in getting Avi Save options");
    return last != 0;
  }

  PAVISTREAM compressed = nullptr;
  last = ::AVIMakeCompressedStream(&compressed, avi.uncompressed.get(), avi.options.record(), nullptr);
  avi.compressed.reset(compressed);
  if (last != 0) {
    ShowMessage("Error in making Compressed Avi, Try with uncompressed avi");
    return true;
  }
  last = ::AVIStreamSetFormat(avi.compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
  if (last != 0) {
    ShowMessage("Error setting Avi stream format");
    return true;
  }

  const int count = ListCount(form.File1);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) paths.push_back(FramePath(form, folder, i));
  frames.DecodeAhead(paths);
  for (int i = 0; i < count; ++i) {
    // A frame that cannot be read ends the video here rather than repeating
    // the previous frame in its place.
    if (!frames.Load(i, paths[i], dib)) return true;
    last = ::AVIStreamWrite(avi.compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), AVIIF_KEYFRAME,
                            nullptr, nullptr);
    if (last != 0) {
      frames.ShowLatest();
      ShowMessage("Error writing Avi stream");
      return true;
    }
  }
  frames.ShowLatest();
  return false;
}

}  // namespace

void ConvertFolderToAvi(Form1& form) { ConvertFolderToAvi(form, UserAviChoices()); }

void ConvertFolderToAvi(Form1& form, const AviChoices& choices) {
  const std::string folder = ControlText(form.txtPath);
  ShowFrameFiles(form.File1, folder);
  if (ListCount(form.File1) == 0) {
    ShowMessage("No files to convert, Please choose the correct folder.");
    return;
  }

  std::string target = kProposedName;
  if (!choices.target || !choices.target(form.hwnd(), target)) return;

  bool failed = false;
  {
    AviSession avi;
    cDib dib;  // dropped before the session releases anything
    failed = WriteFrames(form, choices, folder, target, avi, dib);
  }
  if (failed) ShowMessage("There was an error writing the file.", MessageIcon::Information);
}

}  // namespace lumavex
