#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/utf8.h"
#include "base/file.h"

namespace lumavex {
namespace {

using namespace std::string_literals;

TEST(Utf8ToUtf16, EveryEncodedLength) {
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16("Alice - Conversation"), u"Alice - Conversation");
  EXPECT_EQ(Utf8ToUtf16("\0x"s), u"\0x"s);                                 // NULs inside a filter list stay
  EXPECT_EQ(Utf8ToUtf16("Łukasz é"), u"\u0141ukasz \u00e9");               // 2 bytes
  EXPECT_EQ(Utf8ToUtf16("王伟 Ана"), u"\u738b\u4f1f \u0410\u043d\u0430");  // 3 and 2 bytes
  EXPECT_EQ(Utf8ToUtf16("\xef\xbf\xbf"), u"\uffff");                       // the last 3-byte one
  // 4 bytes: beyond U+FFFF, as a surrogate pair.
  EXPECT_EQ(Utf8ToUtf16("😀"), u"\xd83d\xde00");
  EXPECT_EQ(Utf8ToUtf16("\xf4\x8f\xbf\xbf"), u"\xdbff\xdfff");  // U+10FFFF
}

TEST(Utf8ToUtf16, IllFormedInputBecomesReplacementCharacters) {
  const std::u16string r = u"\ufffd";
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a" + r + u"z");  // stray continuation byte
  EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), r + r);          // overlong "/" must not pass as one
  EXPECT_EQ(Utf8ToUtf16("\xe0\x80\xafz"), r + u"z");
  EXPECT_EQ(Utf8ToUtf16("\xe7\x8e"), r);          // truncated at the end
  EXPECT_EQ(Utf8ToUtf16("\xe7\x8ez"), r + u"z");  // truncated, resyncs at the next lead
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\xbd"), r);      // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xf4\x90\x80\x80"), r);  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xff\xfe"), r + r);
  // Two different bad names never turn into the same good one silently.
  EXPECT_NE(Utf8ToUtf16("x\x80"), Utf8ToUtf16("x"));
}

TEST(Utf16ToUtf8, PairsAndUnpairedSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"\u738b\u4f1f"), "王伟");
  EXPECT_EQ(Utf16ToUtf8(u"\xd83d\xde00!"), "😀!");
  EXPECT_EQ(Utf16ToUtf8(u"a\xd83d"), "a\xef\xbf\xbd");                  // high surrogate at the end
  EXPECT_EQ(Utf16ToUtf8(u"\xde00\xd83d"), "\xef\xbf\xbd\xef\xbf\xbd");  // reversed pair
  EXPECT_EQ(Utf16ToUtf8(u"\xd83dx"), "\xef\xbf\xbdx");
}

TEST(Utf8Conversions, RoundTripEveryPlane) {
  std::u16string all;
  for (char32_t cp :
       {0x1u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0x10000u, 0x1F600u, 0x10FFFFu}) {
    if (cp >= 0x10000) {
      all += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      all += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      all += static_cast<char16_t>(cp);
    }
  }
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
  const std::string text = "Zoë 王伟 Łukasz Ана 😀 <>";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
}

TEST(Utf16Length, CountsAsWindowsDoes) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("王伟"), 2u);
  EXPECT_EQ(Utf16Length("a😀"), 3u);
  EXPECT_EQ(Utf16Length("\xe7\x8e"), 1u);  // as its U+FFFD
}

TEST(Utf8PrefixWithinUtf16, CutsBetweenCharactersOnly) {
  EXPECT_EQ(Utf8PrefixWithinUtf16("abc", 2), "ab");
  EXPECT_EQ(Utf8PrefixWithinUtf16("abc", 9), "abc");
  EXPECT_EQ(Utf8PrefixWithinUtf16("王伟x", 1), "王");
  EXPECT_EQ(Utf8PrefixWithinUtf16("王伟x", 0), "");
  // One unit short of a pair: the whole pair goes, never half of it.
  EXPECT_EQ(Utf8PrefixWithinUtf16("a😀b", 2), "a");
  EXPECT_EQ(Utf8PrefixWithinUtf16("a😀b", 3), "a😀");
  EXPECT_EQ(Utf8PrefixWithinUtf16("😀😀", 3), "😀");
}

TEST(Utf8Files, OpenReplaceRemoveAndExistOnNamesInAnyScript) {
  const std::string dir = ::testing::TempDir();
  const std::string name = dir + "王伟 Łukasz Ана 😀.bin";
  const std::string renamed = dir + "李娜.bin";
  RemoveFileUtf8(renamed);
  {
    UniqueStdFile file(OpenFileUtf8(name, "wb"));
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite("x", 1, 1, file.get()), 1u);
  }
  EXPECT_TRUE(FileExistsUtf8(name));
  EXPECT_FALSE(FileExistsUtf8(dir));  // a folder is no file
  ASSERT_TRUE(ReplaceWithFinished(name, renamed));
  EXPECT_FALSE(FileExistsUtf8(name));
  EXPECT_TRUE(FileExistsUtf8(renamed));
  EXPECT_EQ(RemoveFileUtf8(renamed), 0);
  EXPECT_FALSE(FileExistsUtf8(renamed));
}

}  // namespace
}  // namespace lumavex
