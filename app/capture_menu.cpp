#include "app/capture_menu.h"

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "app/settings_file.h"
#include "base/message.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

constexpr int kIntervalCount = static_cast<int>(kCaptureIntervalsMs.size());
constexpr int kKeepDaysCount = static_cast<int>(std::size(kKeepDaysChoices));
constexpr int kBudgetCount = static_cast<int>(std::size(kBudgetChoicesMb));

// "Every 0.1 seconds", "Every second", "Every 30 seconds".
std::string IntervalLabel(int ms) {
  if (ms == 1000) return "Every &second";
  char text[48];
  if (ms % 1000 == 0) {
    std::snprintf(text, sizeof text, "Every %d seconds", ms / 1000);
  } else {
    std::snprintf(text, sizeof text, "Every %d.%d seconds", ms / 1000, ms % 1000 / 100);
  }
  return text;
}

std::string KeepDaysLabel(int days) {
  if (days == 0) return "&All";
  return "&" + std::to_string(days) + (days == 1 ? " day" : " days");
}

std::string BudgetLabel(int megabytes) {
  if (megabytes == 0) return "&None";
  return "&" + std::to_string(megabytes / 1024) + " GB";
}

// A submenu of radio items, one per choice, with consecutive identifiers.
template <std::size_t N>
HMENU ChoiceMenu(const int (&choices)[N], int firstId, std::string (*label)(int)) {
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return nullptr;
  for (std::size_t i = 0; i < N; ++i)
    ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(firstId + static_cast<int>(i)),
                  Widen(label(choices[i])).c_str());
  return menu;
}

template <std::size_t N>
void ShowChoice(HMENU menu, const int (&choices)[N], int firstId, int value) {
  for (std::size_t i = 0; i < N; ++i) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = choices[i] == value ? MFS_CHECKED : MFS_UNCHECKED;
    ::SetMenuItemInfoW(menu, static_cast<UINT>(firstId + static_cast<int>(i)), FALSE, &item);
  }
}

}  // namespace

HMENU CaptureMenu::Create() {
  settings_ = LoadRecordingSettings();
  HMENU bar = ::CreateMenu();
  popup_ = ::CreatePopupMenu();
  if (!bar || !popup_) {
    if (bar) ::DestroyMenu(bar);
    if (popup_) ::DestroyMenu(popup_);
    popup_ = nullptr;
    return nullptr;
  }
  for (int i = 0; i < kIntervalCount; ++i) {
    ::AppendMenuW(popup_, MF_STRING, static_cast<UINT_PTR>(kIdMenuFirstInterval + i),
                  Widen(IntervalLabel(kCaptureIntervalsMs[static_cast<std::size_t>(i)])).c_str());
  }
  ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(popup_, MF_STRING, kIdMenuStamp, L"S&tamp date and time on frames");
  ::AppendMenuW(popup_, MF_STRING, kIdMenuVideo, L"Save into a &video");
  keepDays_ = ChoiceMenu(kKeepDaysChoices, kIdMenuFirstKeepDays, KeepDaysLabel);
  budget_ = ChoiceMenu(kBudgetChoicesMb, kIdMenuFirstBudget, BudgetLabel);
  ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  if (keepDays_) ::AppendMenuW(popup_, MF_POPUP, reinterpret_cast<UINT_PTR>(keepDays_), L"&Keep recordings");
  if (budget_) ::AppendMenuW(popup_, MF_POPUP, reinterpret_cast<UINT_PTR>(budget_), L"Disk &budget");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup_), L"&Capture");
  ShowChoices();
  return bar;
}

bool CaptureMenu::Command(int id) {
  if (id == kIdMenuStamp) {
    settings_.stampTime = !settings_.stampTime;
  } else if (id == kIdMenuVideo) {
    settings_.video = !settings_.video;
  } else if (id >= kIdMenuFirstKeepDays && id < kIdMenuFirstKeepDays + kKeepDaysCount) {
    settings_.keepDays = kKeepDaysChoices[id - kIdMenuFirstKeepDays];
  } else if (id >= kIdMenuFirstBudget && id < kIdMenuFirstBudget + kBudgetCount) {
    settings_.keepMegabytes = kBudgetChoicesMb[id - kIdMenuFirstBudget];
  } else if (id >= kIdMenuFirstInterval && id < kIdMenuFirstInterval + kIntervalCount) {
    if (locked_) return true;
    settings_.intervalMs = kCaptureIntervalsMs[static_cast<std::size_t>(id - kIdMenuFirstInterval)];
  } else {
    return false;
  }
  ShowChoices();
  if (kept_) Keep();
  return true;
}

void CaptureMenu::Keep() {
  const std::optional<SettingsNotKept> notKept = StoreRecordingSettings(settings_);
  // Said once: the choice holds for the run anyway, and a message at every
  // click would help nobody. Later clicks still try, as the cause may go.
  if (!notKept || toldNotKept_) return;
  toldNotKept_ = true;
  ShowMessage("The Capture menu's choices cannot be kept for the next start of Lumavex:\r\n" + notKept->path +
                  "\r\n" + notKept->reason + "\r\nThey hold until Lumavex is closed.",
              MessageIcon::Exclamation);
}

void CaptureMenu::UseForThisRun(const RecordingSettings& settings) {
  settings_ = settings;
  kept_ = false;
  ShowChoices();
}

void CaptureMenu::LockInterval(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  ShowChoices();
}

void CaptureMenu::ShowChoices() {
  if (!popup_) return;
  for (int i = 0; i < kIntervalCount; ++i) {
    const bool chosen = kCaptureIntervalsMs[static_cast<std::size_t>(i)] == settings_.intervalMs;
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = (chosen ? MFS_CHECKED : MFS_UNCHECKED) | (locked_ ? MFS_GRAYED : MFS_ENABLED);
    ::SetMenuItemInfoW(popup_, static_cast<UINT>(kIdMenuFirstInterval + i), FALSE, &item);
  }
  ::CheckMenuItem(popup_, kIdMenuStamp, MF_BYCOMMAND | (settings_.stampTime ? MF_CHECKED : MF_UNCHECKED));
  ::CheckMenuItem(popup_, kIdMenuVideo, MF_BYCOMMAND | (settings_.video ? MF_CHECKED : MF_UNCHECKED));
  if (keepDays_) ShowChoice(keepDays_, kKeepDaysChoices, kIdMenuFirstKeepDays, settings_.keepDays);
  if (budget_) ShowChoice(budget_, kBudgetChoicesMb, kIdMenuFirstBudget, settings_.keepMegabytes);
}

}  // namespace lumavex
