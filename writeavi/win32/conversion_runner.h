#pragma once
// "Write Avi" on a worker thread of its own, so that the window that started
// it keeps answering and a running recording keeps its schedule. The view
// and the questions (the save and compression dialogs) belong to the UI
// thread: every call the conversion makes to them is carried out there
// while the worker waits. What the conversion says to the user is kept
// until it has ended, so the caller can first put its window back (the
// button that read "Cancel") and then show it; after a cancel it is dropped.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message.h"
#include "platform/kernel.h"
#include "platform/ui_thread_call.h"
#include "writeavi/win32/convert_folder.h"

namespace lumavex {

class ConversionRunner {
 public:
  // On the UI thread, with the messages the conversion left (none after a
  // cancel) and whether it was cancelled.
  using Finished = std::function<void(const std::vector<UserMessage>& messages, bool cancelled)>;

  ConversionRunner();  // on the UI thread
  // Cancels a running conversion and waits for its end.
  ~ConversionRunner();
  ConversionRunner(const ConversionRunner&) = delete;
  ConversionRunner& operator=(const ConversionRunner&) = delete;

  // Starts the conversion; `view` must live until `finished` has run. False
  // when one is running already, or no thread (or no way back to this
  // thread) could be made.
  bool Start(ConversionRequest request, ConversionView& view, AviChoices choices, Finished finished);
  bool Running() const { return running_; }
  // Stops the running conversion between two frames; `finished` follows.
  void Cancel() { cancel_ = true; }

 private:
  void Work(ConversionRequest request, ConversionView& view, const AviChoices& choices);
  void Ended();

  UiThreadCall ui_;
  std::atomic<bool> cancel_{false};
  bool running_ = false;
  Finished finished_;
  std::vector<UserMessage> messages_;  // the worker's until it has ended
  UniqueKernelObject ended_;           // set by the worker as its last step
  std::thread worker_;
};

}  // namespace lumavex
