// Huffman tables built from symbol counts: valid for every histogram
// (lengths 1..16, no all-ones code, exactly the counted symbols), and
// optimal whenever no code has to be shortened to 16 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_optimal_huffman.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {
namespace {

// Checks what a decoder relies on and returns the coded bits of `counts`.
std::uint64_t CheckTable(const SymbolCounts& counts, const std::string& what) {
  const OptimalHuffmanTable table = BuildOptimalHuffmanTable(counts);
  int listed = 0;
  double kraft = 0;
  for (int length = 1; length <= 16; ++length) {
    listed += table.counts[length - 1];
    kraft += table.counts[length - 1] / static_cast<double>(1 << length);
  }
  EXPECT_EQ(listed, table.symbolCount) << what;
  EXPECT_LT(kraft, 1.0) << what << ": no room left for the all-ones code";

  const HuffmanCodes codes = BuildHuffmanCodes(table.Spec());
  std::uint64_t bits = 0;
  for (int s = 0; s < 256; ++s) {
    EXPECT_EQ(codes.length[s] > 0, counts.count[s] > 0) << what << ", symbol " << s;
    if (codes.length[s] == 0) continue;
    EXPECT_NE(codes.code[s], (1u << codes.length[s]) - 1) << what << ", symbol " << s << " is all ones";
    bits += counts.count[s] * codes.length[s];
  }
  return bits;
}

// The cost of an unrestricted Huffman code over the counts and the extra
// symbol of count 1 that stands for the all-ones code: the sum of all merges.
std::uint64_t HuffmanCostWithPlaceholder(const SymbolCounts& counts) {
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> queue;
  queue.push(1);
  for (std::uint64_t c : counts.count) {
    if (c > 0) queue.push(c);
  }
  std::uint64_t cost = 0;
  while (queue.size() > 1) {
    const std::uint64_t a = queue.top();
    queue.pop();
    const std::uint64_t b = queue.top();
    queue.pop();
    cost += a + b;
    queue.push(a + b);
  }
  return cost;
}

int LongestLength(const OptimalHuffmanTable& table) {
  int longest = 0;
  for (int length = 1; length <= 16; ++length) {
    if (table.counts[length - 1] > 0) longest = length;
  }
  return longest;
}

TEST(OptimalHuffman, DegenerateCountsStillGiveValidCodes) {
  SymbolCounts none{};
  EXPECT_EQ(BuildOptimalHuffmanTable(none).symbolCount, 0);

  SymbolCounts one{};  // a flat picture: one DC category, only end-of-block codes
  one.count[0] = 5000;
  CheckTable(one, "one symbol");
  const OptimalHuffmanTable single = BuildOptimalHuffmanTable(one);
  EXPECT_EQ(single.counts[0], 1);  // the code "0"; "1" is the reserved one
  EXPECT_EQ(single.symbolCount, 1);

  SymbolCounts all{};
  for (auto& c : all.count) c = 7;
  CheckTable(all, "all 256 equal");

  // Doubling counts make a Huffman tree as deep as there are symbols: every
  // length up to 256 has to be brought down to 16.
  SymbolCounts doubling{};
  for (int s = 0; s < 256; ++s) doubling.count[s] = std::uint64_t{1} << (s < 63 ? s : 62);
  CheckTable(doubling, "doubling counts");

  SymbolCounts skewed{};  // one symbol in nearly every place
  for (auto& c : skewed.count) c = 1;
  skewed.count[0xF0] = std::uint64_t{1} << 40;
  CheckTable(skewed, "extreme skew");
  EXPECT_EQ(BuildOptimalHuffmanTable(skewed).counts[0], 1);

  SymbolCounts fibonacci{};  // the deepest tree for the least total count
  std::uint64_t a = 1, b = 1;
  for (int s = 0; s < 40; ++s) {
    fibonacci.count[s * 6] = a;
    const std::uint64_t next = a + b;
    a = b;
    b = next;
  }
  CheckTable(fibonacci, "Fibonacci counts");
}

TEST(OptimalHuffman, RandomCountsGetTheHuffmanCost) {
  std::mt19937_64 random(23);
  for (int trial = 0; trial < 300; ++trial) {
    SymbolCounts counts{};
    const int used = 1 + static_cast<int>(random() % 256);
    for (int i = 0; i < used; ++i)
      counts.count[random() % 256] = 1 + random() % (trial % 3 == 0 ? 10 : 100000);
    const std::string what = "trial " + std::to_string(trial);
    const std::uint64_t bits = CheckTable(counts, what);
    const OptimalHuffmanTable table = BuildOptimalHuffmanTable(counts);
    // Without shortening, the placeholder sits at the longest length and
    // the rest is a Huffman code.
    if (LongestLength(table) < 16) {
      EXPECT_EQ(bits + LongestLength(table), HuffmanCostWithPlaceholder(counts)) << what;
    }
  }
}

}  // namespace
}  // namespace lumavex::jpeg
