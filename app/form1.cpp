#include "app/form1.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "app/recording_loop.h"
#include "app/control_view.h"
#include "app/avi_choices.h"
#include "writeavi/win32/convert_folder.h"
#include "writeavi/frame_rate.h"
#include "dialogs/win32/folder_browser.h"
#include "discovery/win32/discovery.h"
#include "base/message.h"
#include "base/path.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "app/floppy_icon.h"
#include "app/resources.h"
#include "platform/picture_view.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

// The form's client area in twips.
constexpr int kClientWidthTwips = 4920;
constexpr int kClientHeightTwips = 3255;

// A menu bar that wraps onto a second line (large fonts) takes more than
// AdjustWindowRectEx allowed for; the window grows by what is missing.
void KeepClientSize(HWND hwnd, int width, int height) {
  RECT client{};
  ::GetClientRect(hwnd, &client);
  if (client.right == width && client.bottom == height) return;
  RECT outer{};
  ::GetWindowRect(hwnd, &outer);
  ::SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int Form1::TwipsToPixels(int twips) {
  static const int dpi = [] {
    WindowDc screen(nullptr);
    const int d = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return d > 0 ? d : 96;
  }();
  return ::MulDiv(twips, dpi, 1440);
}

std::unique_ptr<Form1> Form1::Create(bool show) {
  std::unique_ptr<Form1> form(new Form1());
  if (!form->CreateWindowAndControls(show)) return nullptr;
  return form;
}

Form1::~Form1() {
  Unload();
  if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

bool Form1::CreateWindowAndControls(bool show) {
  static const bool registered = [] {
    // A wide window class: its controls and messages carry text in any script.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // The program's floppy, in the sizes the system asks (the caption's own
    // is not scaled down from the large one); programs built without the
    // resource, as the tests, get the system's.
    const auto icon = [&](int metricX, int metricY) {
      HANDLE loaded = ::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_LUMAVEX), IMAGE_ICON,
                                   ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY), LR_SHARED);
      return loaded ? static_cast<HICON>(loaded)
                    : ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    };
    wc.hIcon = icon(SM_CXICON, SM_CYICON);
    wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kForm1ClassName;
    return ::RegisterClassExW(&wc) != 0;
  }();
  if (!registered) return false;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  // The menu bar comes on top of the designed client area, which keeps its size.
  HMENU menu = captureMenu.Create();
  RECT outer{0, 0, TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips)};
  ::AdjustWindowRectEx(&outer, style, menu != nullptr, 0);
  HWND hwnd = ::CreateWindowExW(0, kForm1ClassName, Widen(kAppTitle).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                menu, ::GetModuleHandleW(nullptr), this);
  if (!hwnd) {
    if (menu) ::DestroyMenu(menu);
    return false;
  }
  window_.reset(hwnd);
  KeepClientSize(hwnd, TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  SetMessageBoxOwner(hwnd);
  CreateControls();
  // At the DPI of the monitor the window opened on, with captions that fit.
  LayOutAt(FormLayout::DpiOfWindow(hwnd));
  Load();
  if (show) {
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
  }
  return true;
}

void Form1::CreateControls() {
  HWND f = hwnd();
  List1 = CreateControl(f, "LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                        layout_.Design(kIdList1, 75, 75, 1575, 1200), kIdList1, WS_EX_CLIENTEDGE);
  Image1 =
      CreatePictureView(f, kIdImage1, layout_.Design(kIdImage1, 1800, 75, 1680, 1230), PictureFit::Stretch);
  cbjpg = CreateControl(f, "BUTTON", "Save as JPG", BS_AUTOCHECKBOX | WS_TABSTOP,
                        layout_.Design(kIdCbJpg, 3600, 150, 1275, 195), kIdCbJpg);
  cbbmp = CreateControl(f, "BUTTON", "Save as BMP", BS_AUTOCHECKBOX | WS_TABSTOP,
                        layout_.Design(kIdCbBmp, 3600, 375, 1275, 195), kIdCbBmp);
  Label2 = CreateControl(f, "STATIC", "Frame Rate:", SS_LEFTNOWORDWRAP,
                         layout_.Design(kIdLabel2, 3600, 600, 900, 180), kIdLabel2);
  txtFPS = CreateControl(f, "EDIT", "3", ES_AUTOHSCROLL | WS_TABSTOP,
                         layout_.Design(kIdTxtFps, 4500, 600, 300, 225), kIdTxtFps, WS_EX_CLIENTEDGE);
  Label1 = CreateControl(f, "STATIC", "Frame Count:", SS_LEFTNOWORDWRAP,
                         layout_.Design(kIdLabel1, 3600, 825, 1245, 180), kIdLabel1);
  Text1 = CreateControl(f, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP,
                        layout_.Design(kIdText1, 3600, 1050, 1260, 255), kIdText1, WS_EX_CLIENTEDGE);
  Command1 = CreateControl(f, "BUTTON", "Refresh List", BS_PUSHBUTTON | WS_TABSTOP,
                           layout_.Design(kIdCommand1, 45, 1350, 1590, 300), kIdCommand1);
  Start = CreateControl(f, "BUTTON", "Start", BS_PUSHBUTTON | WS_TABSTOP,
                        layout_.Design(kIdStart, 1800, 1350, 765, 300), kIdStart);
  btstop = CreateControl(f, "BUTTON", "Stop", BS_PUSHBUTTON | WS_TABSTOP,
                         layout_.Design(kIdBtStop, 2550, 1350, 765, 300), kIdBtStop);
  Picture1 = CreatePictureView(f, kIdPicture1, layout_.Design(kIdPicture1, 3825, 1350, 255, 255),
                               PictureFit::ActualSize, WS_BORDER);
  opendir = CreateControl(f, "BUTTON", "", BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP,
                          layout_.Design(kIdOpenDir, 75, 1725, 375, 300), kIdOpenDir);
  floppy_ = MakeFloppyBitmap();
  if (floppy_) ::SendMessageW(opendir, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(floppy_.get()));
  txtPath = CreateControl(f, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP,
                          layout_.Design(kIdTxtPath, 450, 1725, 1860, 285), kIdTxtPath, WS_EX_CLIENTEDGE);
  windowtop = CreateControl(f, "BUTTON", "Keep webcam window on top", BS_AUTOCHECKBOX | WS_TABSTOP,
                            layout_.Design(kIdWindowTop, 2475, 1725, 2415, 195), kIdWindowTop);
  pause = CreateControl(f, "BUTTON", "Pause", BS_PUSHBUTTON | WS_TABSTOP,
                        layout_.Design(kIdPause, 3525, 1950, 615, 300), kIdPause);
  reset = CreateControl(f, "BUTTON", "Reset", BS_PUSHBUTTON | WS_TABSTOP,
                        layout_.Design(kIdReset, 4125, 1950, 615, 300), kIdReset);
  // The drop-down list needs room below the box for its two items.
  const RECT combo = layout_.Design(kIdCombo1, 1725, 2100, 1740, 315 + 600);
  Combo1 = CreateControl(f, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, combo, kIdCombo1);
  ComboAdd(Combo1, "English");
  ComboAdd(Combo1, "German");
  Label6 = CreateControl(f, "STATIC", "Messenger Language:", SS_LEFTNOWORDWRAP,
                         layout_.Design(kIdLabel6, 75, 2175, 1590, 240), kIdLabel6);
  Label3 = CreateControl(f, "STATIC", "Save to:", SS_LEFTNOWORDWRAP,
                         layout_.Design(kIdLabel3, 3525, 2250, 615, 255), kIdLabel3);
  Line1 =
      CreateControl(f, "STATIC", "", SS_ETCHEDHORZ, layout_.Design(kIdLine1, 0, 2550, 5040, 15), kIdLine1);
  aviwrite = CreateControl(f, "BUTTON", "Write Avi", BS_PUSHBUTTON | WS_TABSTOP,
                           layout_.Design(kIdAviWrite, 3975, 2625, 930, 255), kIdAviWrite);
  Label4 = CreateControl(f, "STATIC", "Currently encoding:", SS_LEFTNOWORDWRAP,
                         layout_.Design(kIdLabel4, 45, 2685, 1380, 255), kIdLabel4);
  // A million frames cost the list nothing: it draws the names the
  // conversion's view holds (WM_DRAWITEM).
  File1 = CreateRowlessList(f, layout_.Design(kIdFile1, 1485, 2685, 2415, 225), kIdFile1);
  // Below the encoding row, shown only while a conversion runs.
  static const bool progressClass = [] {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    return ::InitCommonControlsEx(&classes) != FALSE;
  }();
  if (progressClass)
    aviProgress = CreateControl(f, "msctls_progress32", "", 0,
                                layout_.Design(kIdAviProgress, 45, 2970, 2760, 210), kIdAviProgress);
  aviProgressText =
      CreateControl(f, "STATIC", "", SS_RIGHT | SS_LEFTNOWORDWRAP,
                    layout_.Design(kIdAviProgressText, 2850, 2970, 2025, 210), kIdAviProgressText);
  ::ShowWindow(aviProgress, SW_HIDE);
  ::ShowWindow(aviProgressText, SW_HIDE);
  progress_ = std::make_unique<ConversionProgress>(f, aviProgress, aviProgressText);

  SetChecked(cbjpg, true);
  SetChecked(cbbmp, false);
  SetChecked(windowtop, true);

  Timer1.Attach(f, kTimer1, [this] { Timer1_Timer(); });
  Timer1.SetInterval(0);
  Timer2.Attach(f, kTimer2, [] {});
  Timer2.SetInterval(2000);
}

void Form1::Load() {
  // A failing step is passed over and the next one runs; nothing is shown.
  EnableControl(aviwrite, true);
  aviServices_.emplace();
  EnableControl(Combo1, false);
  ComboSelect(Combo1, 0);
  RefreshWebcamList({List1, Picture1, Image1});
  recorder.Reset();
  Timer2.SetEnabled(false);
  SetControlText(txtPath, ExecutableFolder());
  EnableControl(pause, false);
  EnableControl(btstop, false);
  EnableControl(reset, false);
}

void Form1::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  EndRecordingOnClose(*this);
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  aviServices_.reset();
}

WebcamRow Form1::RecordedRow() const { return commandRow_ ? *commandRow_ : ReadSelectedWebcam(List1); }

void Form1::RecordWindow(const WebcamRow& row) {
  commandRow_ = row;
  StartRecording(*this);
}

void Form1::Command1_Click() { RefreshWebcamList({List1, Picture1, Image1}); }
void Form1::Start_Click() { StartRecording(*this); }
void Form1::List1_DblClick() { StartRecording(*this); }
void Form1::Timer1_Timer() { CaptureFrame(*this); }
void Form1::pause_Click() { PauseRecording(*this); }
void Form1::btstop_Click() { StopRecording(*this); }
void Form1::reset_Click() { ResetFrameCounter(*this); }
void Form1::aviwrite_Click() {
  // The button reads "Cancel" while a conversion runs.
  if (ConversionRunning())
    conversion_->Cancel();
  else
    WriteAvi(UserAviChoices());
}

void Form1::WriteAvi(const AviChoices& choices) {
  if (ConversionRunning()) return;
  ConversionRequest request;
  request.folder = PathFromBox(ControlText(txtPath));
  request.frameRate = FrameRateFromText(ControlText(txtFPS));
  request.owner = hwnd();
  if (!conversion_) conversion_ = std::make_unique<ConversionRunner>();
  conversionView_ = std::make_unique<ControlConversionView>(File1, Image1, progress_.get());
  if (!conversion_->Start(request, *conversionView_, choices,
                          [this](const std::vector<UserMessage>& messages, bool) {
                            ConversionEnded(messages);
                          })) {
    ShowMessage("Lumavex could not start writing the video.", MessageIcon::Error);
    return;
  }
  SetControlText(aviwrite, "Cancel");
  progress_->Begin();
}

std::string Form1::File1Row(int index) const {
  return conversionView_ ? conversionView_->Row(index) : std::string();
}

void Form1::ConversionEnded(const std::vector<UserMessage>& messages) {
  // The window is itself again before anything is said.
  SetControlText(aviwrite, "Write Avi");
  progress_->End();
  if (closeWhenConverted_) {
    Close();
    return;
  }
  for (const UserMessage& message : messages) ShowMessage(message.text, message.icon);
}
void Form1::opendir_Click() {
  // Empty while the dialog is up, so a half-chosen folder is never recorded into.
  SetControlText(txtPath, "");
  const std::optional<std::string> chosen = BrowseForSaveFolder(hwnd());
  SetControlText(txtPath, chosen ? *chosen : ExecutableFolder());
}

void Form1::OnCommand(int id, int code) {
  if (id == kIdList1) {
    if (code == LBN_DBLCLK) List1_DblClick();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdCommand1:
      Command1_Click();
      break;
    case kIdStart:
      Start_Click();
      break;
    case kIdBtStop:
      btstop_Click();
      break;
    case kIdPause:
      pause_Click();
      break;
    case kIdReset:
      reset_Click();
      break;
    case kIdAviWrite:
      aviwrite_Click();
      break;
    case kIdOpenDir:
      opendir_Click();
      break;
    default:
      break;
  }
}

LRESULT Form1::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A menu's command comes with no control and notification code 0.
      if (lparam == 0 && HIWORD(wparam) == 0 && captureMenu.Command(LOWORD(wparam))) return 0;
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM:
      if (wparam == kIdFile1) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (conversionView_)
          conversionView_->DrawRow(item);
        else
          DrawListRow(item, {});
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wparam == Timer1.Id()) Timer1.Fire();
      if (wparam == Timer2.Id()) Timer2.Fire();
      return 0;
    case WM_DPICHANGED:
      // Moved to a monitor of another DPI: the system draws the frame and
      // the menu bar at the new DPI; the controls and their font follow, and
      // the client area gets the designed size at that DPI, whatever size
      // the system suggested.
      LayOutAt(HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      // A conversion is cancelled first; the window closes when it has ended.
      if (ConversionRunning()) {
        closeWhenConverted_ = true;
        conversion_->Cancel();
      } else {
        Close();
      }
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd(), message, wparam, lparam);
}

void Form1::LayOutAt(int dpi) {
  layout_.Apply(hwnd(), dpi);
  KeepClientSize(hwnd(), layout_.ToPixels(kClientWidthTwips), layout_.ToPixels(kClientHeightTwips));
}

void Form1::Close() {
  // The user closed the program: a running recording simply ends.
  Unload();
  HWND self = window_.release();
  ::SetWindowLongPtrW(self, GWLP_USERDATA, 0);
  ::DestroyWindow(self);
  ::PostQuitMessage(0);
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<Form1*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form && form->window_.get() == hwnd) return form->Handle(message, wparam, lparam);
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

int RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace lumavex
