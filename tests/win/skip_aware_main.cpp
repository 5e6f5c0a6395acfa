// main() of every Wine test program. ctest runs each program as one entry
// and only sees its exit code; a program that skipped a test exits with
// kSkippedExitCode instead of 0, so that ctest (SKIP_RETURN_CODE) and
// test.sh count it as skipped, never as passed. A failure keeps gtest's
// non-zero code whatever else was skipped.
#include <gtest/gtest.h>

namespace {
constexpr int kSkippedExitCode = 77;  // tests/CMakeLists.txt's SKIP_RETURN_CODE
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (result == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0) return kSkippedExitCode;
  return result;
}
