// The hand-over of a conversion's progress to the thread that shows it: one
// notice for any number of updates, and the latest always wins.
#include "writeavi/latest_progress.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

namespace {

using lumavex::Image;
using lumavex::LatestProgress;

Image Picture(int width) {
  Image picture;
  EXPECT_TRUE(picture.Resize(width, 2));
  return picture;
}

TEST(LatestProgress, OneNoticeForManyUpdatesAndTheLatestWins) {
  LatestProgress slot;
  EXPECT_TRUE(slot.SetCurrent(1));  // empty to full: the one notice
  EXPECT_FALSE(slot.SetPreview(Picture(3)));
  EXPECT_FALSE(slot.SetCurrent(2));
  EXPECT_FALSE(slot.SetPreview(Picture(5)));
  EXPECT_FALSE(slot.SetCurrent(3));

  std::optional<int> current;
  Image picture;
  bool hasPicture = false;
  ASSERT_TRUE(slot.Take(current, picture, hasPicture));
  EXPECT_EQ(current, 3);
  ASSERT_TRUE(hasPicture);
  EXPECT_EQ(picture.width(), 5);

  // Taken: empty again, and the next update asks for a notice again.
  EXPECT_FALSE(slot.Take(current, picture, hasPicture));
  EXPECT_TRUE(slot.SetCurrent(4));
  ASSERT_TRUE(slot.Take(current, picture, hasPicture));
  EXPECT_EQ(current, 4);
  EXPECT_FALSE(hasPicture);  // no picture since the last Take
}

TEST(LatestProgress, APictureAloneLeavesTheEntryAsItWas) {
  LatestProgress slot;
  EXPECT_TRUE(slot.SetPreview(Picture(7)));
  std::optional<int> current = 99;
  Image picture;
  bool hasPicture = false;
  ASSERT_TRUE(slot.Take(current, picture, hasPicture));
  EXPECT_FALSE(current.has_value());
  EXPECT_TRUE(hasPicture);
  EXPECT_EQ(picture.width(), 7);
}

// A worker updating while the other thread takes whenever told: every
// notice finds something, the entries it sees only go forward, and the
// last one it sees is the last one set.
TEST(LatestProgress, AcrossThreadsEntriesOnlyGoForwardAndTheLastArrives) {
  LatestProgress slot;
  constexpr int kUpdates = 20000;
  std::mutex mutex;
  std::condition_variable told;
  int notices = 0;
  bool done = false;
  std::thread worker([&] {
    for (int i = 0; i < kUpdates; ++i)
      if (slot.SetCurrent(i)) {
        std::lock_guard<std::mutex> lock(mutex);
        ++notices;
        told.notify_one();
      }
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    told.notify_one();
  });
  int taken = 0, last = -1;
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex);
    told.wait(lock, [&] { return notices > taken || done; });
    if (notices == taken && done) break;
    ++taken;
    lock.unlock();
    std::optional<int> current;
    Image picture;
    bool hasPicture = false;
    ASSERT_TRUE(slot.Take(current, picture, hasPicture)) << "a notice found the slot empty";
    ASSERT_TRUE(current.has_value());
    EXPECT_GT(*current, last);
    last = *current;
  }
  worker.join();
  EXPECT_EQ(last, kUpdates - 1);
  EXPECT_GE(taken, 1);
}

}  // namespace
