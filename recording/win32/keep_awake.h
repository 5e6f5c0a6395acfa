#pragma once
// While one lives, the system does not go to sleep on its own (the display
// may still turn off): a recording runs for days unattended. The request
// belongs to the thread that made it, so an owner lives and ends on one
// thread; ending it lets the system sleep again.
#include <windows.h>

namespace lumavex {

class SleepBlock {
 public:
  SleepBlock() { ::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }
  ~SleepBlock() { ::SetThreadExecutionState(ES_CONTINUOUS); }
  SleepBlock(const SleepBlock&) = delete;
  SleepBlock& operator=(const SleepBlock&) = delete;
};

}  // namespace lumavex
