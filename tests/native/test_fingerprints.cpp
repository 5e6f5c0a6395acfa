#include <gtest/gtest.h>

#include "discovery/fingerprints.h"

namespace lumavex {
namespace {

TEST(Fingerprints, StoredPairsAreTheBmpFilesOfThePaneColours) {
  const FingerprintPair p32 = FingerprintsForDepth(32);
  EXPECT_EQ(PixelFingerprint(kFirstSampleColour), p32.first);
  EXPECT_EQ(PixelFingerprint(kSecondSampleColour), p32.second);
  EXPECT_NE(p32.first, p32.second);
}

TEST(Fingerprints, SixteenBitPairIsTheSameColoursAtFiveSixFivePrecision) {
  EXPECT_EQ(ToRgb565(kFirstSampleColour), (Rgb{41, 73, 140}));
  EXPECT_EQ(ToRgb565(kSecondSampleColour), (Rgb{57, 77, 132}));
  const FingerprintPair p16 = FingerprintsForDepth(16);
  EXPECT_EQ(PixelFingerprint(ToRgb565(kFirstSampleColour)), p16.first);
  EXPECT_EQ(PixelFingerprint(ToRgb565(kSecondSampleColour)), p16.second);
}

TEST(Fingerprints, FiveSixFiveRuleKeepsExtremesAndIsIdempotent) {
  EXPECT_EQ(ToRgb565({0, 0, 0}), (Rgb{0, 0, 0}));
  EXPECT_EQ(ToRgb565({255, 255, 255}), (Rgb{255, 255, 255}));
  for (int v = 0; v < 256; ++v) {
    const Rgb once =
        ToRgb565({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v)});
    EXPECT_EQ(ToRgb565(once), once) << v;
  }
}

TEST(Fingerprints, DepthChoosesThePair) {
  EXPECT_EQ(FingerprintsForDepth(24).first, FingerprintsForDepth(32).first);
  EXPECT_EQ(FingerprintsForDepth(24).second, FingerprintsForDepth(32).second);
  EXPECT_NE(FingerprintsForDepth(16).first, FingerprintsForDepth(32).first);
  for (int depth : {0, 1, 4, 8, 15, 48}) {
    EXPECT_TRUE(FingerprintsForDepth(depth).first.empty()) << depth;
    EXPECT_TRUE(FingerprintsForDepth(depth).second.empty()) << depth;
  }
}

}  // namespace
}  // namespace lumavex
