#include "writeavi/win32/conversion_runner.h"

#include <optional>
#include <system_error>
#include <utility>

#include "platform/avi_handles.h"
#include "platform/com_scope.h"

namespace lumavex {
namespace {

// The view as the worker sees it: nothing waits for the UI thread. The
// list is posted to it; the entry and the picture go into the latest-wins
// slot, with one notice when the slot fills; the messages are kept for the
// end.
class ViewFromWorker : public ConversionView {
 public:
  ViewFromWorker(ConversionView& view, const UiThreadCall& ui, LatestProgress& progress,
                 std::function<void()> showProgress, std::vector<UserMessage>& messages)
      : view_(view),
        ui_(ui),
        progress_(progress),
        showProgress_(std::move(showProgress)),
        messages_(messages) {}

  void Frames(std::shared_ptr<const FrameNames> names) override {
    ConversionView* view = &view_;
    ui_.Post([view, names = std::move(names)] { view->Frames(names); });
  }
  void Current(int index) override {
    if (progress_.SetCurrent(index)) ui_.Post(showProgress_);
  }
  void Preview(const Image& picture) override {
    if (progress_.SetPreview(picture)) ui_.Post(showProgress_);
  }
  void Message(const std::string& text, MessageIcon icon) override { messages_.push_back({text, icon}); }

 private:
  ConversionView& view_;
  const UiThreadCall& ui_;
  LatestProgress& progress_;
  const std::function<void()> showProgress_;
  std::vector<UserMessage>& messages_;
};

// The questions asked on the UI thread, where their dialogs belong.
AviChoices ChoicesOnUiThread(const AviChoices& choices, const UiThreadCall& ui) {
  if (choices.windowless) return choices;
  AviChoices asked;
  if (choices.target)
    asked.target = [&choices, &ui](HWND owner, std::string& target, AviOutput& output) {
      bool chosen = false;
      ui.Run([&] { chosen = choices.target(owner, target, output); });
      return chosen;
    };
  if (choices.compression)
    asked.compression = [&choices, &ui](HWND owner, PAVISTREAM* stream, AviCompressOptions& options) {
      INT_PTR chosen = 0;
      ui.Run([&] { chosen = choices.compression(owner, stream, options); });
      return chosen;
    };
  return asked;
}

}  // namespace

ConversionRunner::ConversionRunner() = default;

ConversionRunner::~ConversionRunner() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  // The worker may be waiting for this thread to show something.
  ui_.WaitFor(ended_.get());
  worker_.join();
}

bool ConversionRunner::Start(ConversionRequest request, ConversionView& view, AviChoices choices,
                             Finished finished) {
  // Without its way back to the UI thread the end would never be told.
  if (running_ || worker_.joinable() || !ui_.ready()) return false;
  ended_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ended_) return false;
  cancel_ = false;
  messages_.clear();
  finished_ = std::move(finished);
  view_ = &view;
  request.cancel = &cancel_;
  try {
    worker_ = std::thread([this, request = std::move(request), &view, choices = std::move(choices)] {
      Work(request, view, choices);
    });
  } catch (const std::system_error&) {
    return false;
  }
  running_ = true;
  return true;
}

void ConversionRunner::Work(ConversionRequest request, ConversionView& view, const AviChoices& choices) {
  {
    // Pictures and the AVI services are COM objects, on this thread as well.
    const OleScope ole;
    const AviFileServices services;
    ViewFromWorker shown(
        view, ui_, progress_, [this] { ShowProgress(); }, messages_);
    ConvertFolderToAvi(request, shown, ChoicesOnUiThread(choices, ui_));
  }
  ::SetEvent(ended_.get());
  ui_.Post([this] { Ended(); });
}

void ConversionRunner::ShowProgress() {
  std::optional<int> current;
  bool hasPicture = false;
  if (!view_ || !progress_.Take(current, shown_, hasPicture)) return;
  if (current) view_->Current(*current);
  if (hasPicture) view_->Preview(shown_);
}

void ConversionRunner::Ended() {
  if (worker_.joinable()) worker_.join();
  // Whatever progress is left is shown before the end is told.
  ShowProgress();
  running_ = false;
  const bool cancelled = cancel_;
  std::vector<UserMessage> messages;
  if (!cancelled) messages.swap(messages_);
  Finished finished = std::move(finished_);
  if (finished) finished(messages, cancelled);
}

}  // namespace lumavex
