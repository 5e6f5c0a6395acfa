#pragma once
// The main window: its controls, the recording state it owns, and one handler
// per control event. Handlers stay thin; the work lives in the subsystems.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/capture_menu.h"
#include "app/recording_view.h"
#include "recording/win32/recorder.h"
#include "app/control_view.h"
#include "app/conversion_progress.h"
#include "app/form_layout.h"
#include "writeavi/win32/conversion_runner.h"
#include "writeavi/win32/convert_folder.h"
#include "platform/avi_handles.h"
#include "platform/gdi.h"
#include "platform/kernel.h"
#include "platform/ui_timer.h"

namespace lumavex {

// Control identifiers, also used by tests to find the controls.
enum ControlId : int {
  kIdList1 = 101,
  kIdImage1,
  kIdCbJpg,
  kIdCbBmp,
  kIdLabel2,
  kIdTxtFps,
  kIdLabel1,
  kIdText1,
  kIdCommand1,
  kIdStart,
  kIdBtStop,
  kIdPicture1,
  kIdOpenDir,
  kIdTxtPath,
  kIdWindowTop,
  kIdPause,
  kIdReset,
  kIdCombo1,
  kIdLabel6,
  kIdLabel3,
  kIdLine1,
  kIdAviWrite,
  kIdLabel4,
  kIdFile1,
  kIdAviProgress,
  kIdAviProgressText,
};

enum TimerId : UINT_PTR { kTimer1 = 1, kTimer2 = 2 };

// The main window's class; with the title kAppTitle it finds the running program.
inline constexpr const wchar_t* kForm1ClassName = L"LumavexForm1";

class Form1 {
 public:
  // Creates the window and runs the start-up steps; the window is shown when
  // `show` is true. Returns null when the window cannot be made.
  static std::unique_ptr<Form1> Create(bool show = true);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  HWND hwnd() const { return window_.get(); }

  // Controls, by their form names.
  HWND List1 = nullptr, Image1 = nullptr, cbjpg = nullptr, cbbmp = nullptr, Label2 = nullptr,
       txtFPS = nullptr, Label1 = nullptr, Text1 = nullptr, Command1 = nullptr, Start = nullptr,
       btstop = nullptr, Picture1 = nullptr, opendir = nullptr, txtPath = nullptr, windowtop = nullptr,
       pause = nullptr, reset = nullptr, Combo1 = nullptr, Label6 = nullptr, Label3 = nullptr,
       Line1 = nullptr, aviwrite = nullptr, Label4 = nullptr, File1 = nullptr;
  // How far "Write Avi" has come: shown only while a conversion runs.
  HWND aviProgress = nullptr, aviProgressText = nullptr;
  UiTimer Timer1;
  UiTimer Timer2;

  // The recorder the window drives for its whole life, and the "Capture"
  // menu's choices.
 private:
  FormRecorderView recorderView_{*this};  // before the recorder that reports to it

 public:
  Recorder recorder{recorderView_};
  CaptureMenu captureMenu;

  // The window a recording follows: the selected row of List1, unless the
  // command line named a window.
  WebcamRow RecordedRow() const;
  // Records `row` (a window the command line found) as if it were the
  // selected row, and starts; the list plays no part until the window closes.
  void RecordWindow(const WebcamRow& row);

  // Event handlers.
  void Command1_Click();
  void Start_Click();
  void List1_DblClick();
  void Timer1_Timer();
  void pause_Click();
  void btstop_Click();
  void reset_Click();
  void aviwrite_Click();
  void opendir_Click();

  // "Write Avi" from this window's folder and frame rate, with the questions
  // answered by `choices` (the button: the user, through the dialogs). It
  // runs on a thread of its own: the button reads "Cancel" until it has
  // ended, and its closing message (if any) follows.
  void WriteAvi(const AviChoices& choices);
  bool ConversionRunning() const { return conversion_ && conversion_->Running(); }
  // The running (or last) conversion's worker; null before the first.
  const ConversionRunner* Conversion() const { return conversion_.get(); }
  // Row `index` of File1, which holds no text of its own (it draws its rows).
  std::string File1Row(int index) const;

  // Twips of the form's design to pixels of this screen.
  static int TwipsToPixels(int twips);

 private:
  Form1() = default;
  bool CreateWindowAndControls(bool show);
  void CreateControls();
  void Load();
  void Unload();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);

  void ConversionEnded(const std::vector<UserMessage>& messages);
  void Close();
  // The controls, their font and the client area at `dpi`.
  void LayOutAt(int dpi);

  UniqueBitmap floppy_;  // outlives the button that shows it
  FormLayout layout_;    // and its font the controls that use it
  UniqueWindow window_;
  std::optional<AviFileServices> aviServices_;  // from Load to Unload
  std::unique_ptr<ConversionProgress> progress_;
  std::unique_ptr<ControlConversionView> conversionView_;  // lives as long as its conversion
  std::unique_ptr<ConversionRunner> conversion_;
  std::optional<WebcamRow> commandRow_;
  bool closeWhenConverted_ = false;
  bool unloaded_ = false;
};

// Runs the message loop until the main window closes.
int RunMessageLoop();

}  // namespace lumavex
