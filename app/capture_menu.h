#pragma once
// The main window's menu bar with its "Capture" menu: the interval between
// frames (one radio item per interval), "Stamp date and time on frames" and
// "Save into a video" (check items), and what older recordings may lose:
// "Keep recordings" and "Disk budget" (radio items in submenus). The choices
// are read from settings.ini when the window
// opens and written back whenever one changes; a choice that cannot be
// written is said once per run, and holds for the run.
#include <windows.h>

#include "recording/recording_settings.h"

namespace lumavex {

// Menu command identifiers, apart from the controls' (app/form1.h).
enum CaptureMenuId : int {
  kIdMenuFirstInterval = 201,  // one per kCaptureIntervalsMs, in that order
  kIdMenuStamp = 220,
  kIdMenuVideo = 221,
  kIdMenuFirstKeepDays = 230,  // one per kKeepDaysChoices
  kIdMenuFirstBudget = 240,    // one per kBudgetChoices
};

// The menu's choices; any other value in range in settings.ini is used as
// it is, with no item checked.
inline constexpr int kKeepDaysChoices[] = {0, 1, 7, 30, 90};
inline constexpr int kBudgetChoicesMb[] = {0, 1024, 10240, 102400};

class CaptureMenu {
 public:
  // Reads the kept choices and makes the menu bar, which the window it is
  // given to owns and destroys. Null when the menu cannot be made; the
  // choices hold anyway.
  HMENU Create();

  // A menu command: applies and keeps the choice. False for an identifier
  // that is not this menu's.
  bool Command(int id);

  const RecordingSettings& Settings() const { return settings_; }

  // Choices given for this run only (a recording started from the command
  // line): shown in the menu, and neither these nor later changes are kept.
  void UseForThisRun(const RecordingSettings& settings);

  // A recording keeps the interval it started with to its end; while one is
  // open the interval items are greyed. The stamp can change at any frame.
  void LockInterval(bool locked);

 private:
  void ShowChoices();
  void Keep();

  HMENU popup_ = nullptr;
  HMENU keepDays_ = nullptr;  // submenus, owned by popup_
  HMENU budget_ = nullptr;
  RecordingSettings settings_;
  bool locked_ = false;
  bool kept_ = true;  // choices go to settings.ini
  bool toldNotKept_ = false;
};

}  // namespace lumavex
