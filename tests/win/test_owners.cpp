// The owners of platform/ against the real calls: what put() receives is
// owned and counted, each COM start-up is ended once and only when it
// succeeded, and positioned writes reach offsets past 4 GiB.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "platform/com_scope.h"
#include "platform/file_write.h"
#include "platform/kernel.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

TEST(UniqueHandlePut, OwnsWhatTheShellWritesAndFreesWhatItHeldBefore) {
  const long before = UniqueItemList::live();
  UniqueItemList list;
  ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, list.put()), S_OK);
  EXPECT_TRUE(list);
  EXPECT_EQ(UniqueItemList::live(), before + 1);
  ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, list.put()), S_OK);
  EXPECT_EQ(UniqueItemList::live(), before + 1);
  list.reset();
  EXPECT_EQ(UniqueItemList::live(), before);
}

TEST(ComScopes, EndWhatTheyStartedAndNothingElse) {
  {
    OleScope outer;
    ASSERT_EQ(outer.result(), S_OK);
    {
      OleScope inner;
      EXPECT_EQ(inner.result(), S_FALSE);  // a second start, ended by its own scope
    }
    {
      ComScope refused(COINIT_MULTITHREADED);  // the thread is single-threaded already
      EXPECT_EQ(refused.result(), RPC_E_CHANGED_MODE);
    }
    // The refused start ended nothing: the thread is still in its apartment.
    ComScope again(COINIT_APARTMENTTHREADED);
    EXPECT_EQ(again.result(), S_FALSE);
  }
  // Everything ended: the thread is free to join the multithreaded apartment.
  ComScope multithreaded(COINIT_MULTITHREADED);
  EXPECT_EQ(multithreaded.result(), S_OK);
}

TEST(WriteFileAt, WritesAtOffsetsBeyondFourGibibytes) {
  test::TempFolder folder;
  const std::string path = folder.path() + "\\sparse.bin";
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  const std::uint64_t offset = (std::uint64_t{1} << 32) + 5;
  const char bytes[] = "tail";
  ASSERT_TRUE(WriteFileAt(file.get(), 0, "head", 4));
  ASSERT_TRUE(WriteFileAt(file.get(), offset, bytes, 4));

  LARGE_INTEGER size{};
  ASSERT_TRUE(::GetFileSizeEx(file.get(), &size));
  EXPECT_EQ(static_cast<std::uint64_t>(size.QuadPart), offset + 4);
  char back[4] = {};
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  ASSERT_TRUE(::ReadFile(file.get(), back, sizeof back, &read, &at));
  EXPECT_EQ(std::string(back, read), "tail");
  at = OVERLAPPED{};
  ASSERT_TRUE(::ReadFile(file.get(), back, sizeof back, &read, &at));
  EXPECT_EQ(std::string(back, read), "head");  // the low offset was not overwritten
}

}  // namespace
}  // namespace lumavex
