#include "writeavi/win32/conversion_runner.h"

#include <system_error>
#include <utility>

#include "platform/avi_handles.h"
#include "platform/com_scope.h"

namespace lumavex {
namespace {

// The view as the worker sees it: each call made on the UI thread; the
// messages kept for the end.
class ViewOnUiThread : public ConversionView {
 public:
  ViewOnUiThread(ConversionView& view, const UiThreadCall& ui, std::vector<UserMessage>& messages)
      : view_(view), ui_(ui), messages_(messages) {}

  void Frames(const std::vector<std::string>& names) override {
    ui_.Run([&] { view_.Frames(names); });
  }
  void Current(int index) override {
    ui_.Run([&] { view_.Current(index); });
  }
  void Preview(const Image& picture) override {
    ui_.Run([&] { view_.Preview(picture); });
  }
  void Message(const std::string& text, MessageIcon icon) override { messages_.push_back({text, icon}); }

 private:
  ConversionView& view_;
  const UiThreadCall& ui_;
  std::vector<UserMessage>& messages_;
};

// The questions asked on the UI thread, where their dialogs belong.
AviChoices ChoicesOnUiThread(const AviChoices& choices, const UiThreadCall& ui) {
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
    ViewOnUiThread shown(view, ui_, messages_);
    ConvertFolderToAvi(request, shown, ChoicesOnUiThread(choices, ui_));
  }
  ::SetEvent(ended_.get());
  ui_.Post([this] { Ended(); });
}

void ConversionRunner::Ended() {
  if (worker_.joinable()) worker_.join();
  running_ = false;
  const bool cancelled = cancel_;
  std::vector<UserMessage> messages;
  if (!cancelled) messages.swap(messages_);
  Finished finished = std::move(finished_);
  if (finished) finished(messages, cancelled);
}

}  // namespace lumavex
