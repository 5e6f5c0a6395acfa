#pragma once
// "Write Avi" on a worker thread of its own, so that the window that started
// it keeps answering and a running recording keeps its schedule. The view
// and the questions (the save and compression dialogs) belong to the UI
// thread. Only the questions make the worker wait for it: the frame list,
// the entry being encoded and the preview are handed over without waiting
// (the latest progress wins), so whatever holds the UI thread (a dialog, a
// drag, another program reading the window's lists) never holds the
// conversion. What the conversion says to the user is kept until it has
// ended, so the caller can first put its window back (the button that read
// "Cancel") and then show it; after a cancel it is dropped.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message.h"
#include "platform/kernel.h"
#include "platform/ui_thread_call.h"
#include "writeavi/latest_progress.h"
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
  // Signalled when the worker has taken its last step (`finished` then
  // waits for this thread's message loop); null before the first Start.
  HANDLE ended() const { return ended_.get(); }

 private:
  void Work(ConversionRequest request, ConversionView& view, const AviChoices& choices);
  void Ended();
  // On the UI thread: shows the latest progress the worker left.
  void ShowProgress();

  UiThreadCall ui_;
  std::atomic<bool> cancel_{false};
  bool running_ = false;
  Finished finished_;
  ConversionView* view_ = nullptr;     // the UI thread's
  LatestProgress progress_;            // from the worker to the UI thread
  Image shown_;                        // the UI thread's copy of the latest picture
  std::vector<UserMessage> messages_;  // the worker's until it has ended
  UniqueKernelObject ended_;           // set by the worker as its last step
  std::thread worker_;
};

}  // namespace lumavex
