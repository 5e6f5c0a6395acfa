#include <gtest/gtest.h>

#include <string>

#include "discovery/base64.h"
#include "discovery/fingerprints.h"

namespace lumavex {
namespace {

TEST(EncodeBase64, PaddingFollowsTheLengthOfTheLastGroup) {
  EXPECT_EQ(EncodeBase64(""), "");
  EXPECT_EQ(EncodeBase64("M"), "TQ==");
  EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
  EXPECT_EQ(EncodeBase64("Man"), "TWFu");
  EXPECT_EQ(EncodeBase64("Many"), "TWFueQ==");
  EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
}

TEST(EncodeBase64, EveryByteValueMatchesTheStandardEncoding) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  // Produced independently with a standard base64 implementation.
  EXPECT_EQ(EncodeBase64(all),
            "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7PD0+"
            "P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3BxcnN0dXZ3eHl6e3x9fn+"
            "AgYKDhIWGh4iJiouMjY6PkJGSk5SVlpeYmZqbnJ2en6ChoqOkpaanqKmqq6ytrq+wsbKztLW2t7i5uru8vb6/"
            "wMHCw8TFxsfIycrLzM3Oz9DR0tPU1dbX2Nna29zd3t/g4eLj5OXm5+jp6uvs7e7v8PHy8/T19vf4+fr7/P3+/w==");
}

TEST(EncodeBase64, HighBytesAreNotSignExtended) {
  EXPECT_EQ(EncodeBase64(std::string("\xff\xfe\x80", 3)), "//6A");
  EXPECT_EQ(EncodeBase64(std::string("\0\0", 2)), "AAA=");
}

TEST(EncodeBase64, OnePixelSampleFileGivesEightyCharacters) {
  const std::vector<std::uint8_t> file = OnePixelBmp({1, 2, 3});
  ASSERT_EQ(file.size(), 58u);
  const std::string text = EncodeBase64(std::string(file.begin(), file.end()));
  EXPECT_EQ(text.size(), 80u);
  EXPECT_EQ(text.substr(78), "==");
  EXPECT_EQ(text.find_first_of(" \r\n"), std::string::npos);
}

}  // namespace
}  // namespace lumavex
