#include "imaging/jpeg/jpeg_optimal_huffman.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace lumavex::jpeg {

namespace {

constexpr int kMaxLength = 16;
// 256 symbols and the placeholder for the all-ones code.
constexpr int kMaxLeaves = 257;

struct Leaf {
  std::uint64_t weight;
  int symbol;  // -1: the placeholder
};

// Number of leaves at each depth of a Huffman tree over `leaves` (sorted by
// increasing weight, at least two). Built with two queues, the leaves and
// the merged nodes, whose weights both only grow, so no heap is needed.
// On equal weights a leaf is taken first, which keeps the tree shallow.
void HuffmanDepthCounts(const Leaf* leaves, int leafCount, int depthCounts[kMaxLeaves + 1]) {
  // Nodes 0..leafCount-1 are the leaves, then the merged nodes in the order
  // they are made; the last one is the root.
  std::uint64_t mergedWeight[kMaxLeaves];
  int parent[2 * kMaxLeaves];
  int nextLeaf = 0, nextMerged = 0, mergedCount = 0;
  const auto takeSmallest = [&]() {
    if (nextLeaf < leafCount &&
        (nextMerged == mergedCount || leaves[nextLeaf].weight <= mergedWeight[nextMerged])) {
      return nextLeaf++;
    }
    return leafCount + nextMerged++;
  };
  const auto weightOf = [&](int node) {
    return node < leafCount ? leaves[node].weight : mergedWeight[node - leafCount];
  };
  while (mergedCount < leafCount - 1) {
    const int a = takeSmallest();
    const int b = takeSmallest();
    const int merged = leafCount + mergedCount;
    mergedWeight[mergedCount++] = weightOf(a) + weightOf(b);
    parent[a] = merged;
    parent[b] = merged;
  }
  // Depths from the root down: every parent is made after its children.
  int depth[2 * kMaxLeaves];
  const int root = leafCount + mergedCount - 1;
  depth[root] = 0;
  std::fill(depthCounts, depthCounts + kMaxLeaves + 1, 0);
  for (int node = root - 1; node >= 0; --node) {
    depth[node] = depth[parent[node]] + 1;
    if (node < leafCount) ++depthCounts[depth[node]];
  }
}

// Moves leaves deeper than kMaxLength up, keeping the code complete: two
// sibling leaves at the deepest level go, their parent becomes a leaf, and a
// leaf higher up becomes the parent of itself and the other one.
void LimitDepths(int depthCounts[kMaxLeaves + 1], int leafCount) {
  for (int depth = leafCount - 1; depth > kMaxLength; --depth) {  // no leaf is deeper than that
    while (depthCounts[depth] > 0) {
      int higher = depth - 2;
      while (depthCounts[higher] == 0) --higher;  // some leaf is shallower: 257 leaves cannot fill 16 levels
      depthCounts[depth] -= 2;
      depthCounts[depth - 1] += 1;
      depthCounts[higher + 1] += 2;
      depthCounts[higher] -= 1;
    }
  }
}

}  // namespace

HuffmanSpec OptimalHuffmanTable::Spec() const {
  HuffmanSpec spec{};
  std::memcpy(spec.counts, counts, sizeof counts);
  spec.symbols = symbols;
  spec.symbolCount = symbolCount;
  return spec;
}

OptimalHuffmanTable BuildOptimalHuffmanTable(const SymbolCounts& counts) {
  OptimalHuffmanTable table{};
  // Real symbols by decreasing count (then by value, so the table does not
  // depend on the sort), then the placeholder with the least count of all.
  // Sorted as single numbers, count above inverted symbol, which is much
  // faster than sorting pairs; counts of 2^56 and more cannot occur (no
  // picture has that many blocks) but are clamped to keep the order sound.
  std::uint64_t keys[256];
  int leafCount = 0;
  for (int s = 0; s < 256; ++s) {  // without branches: which symbols occur is hard to predict
    const std::uint64_t weight = std::min<std::uint64_t>(counts.count[s], (std::uint64_t{1} << 56) - 1);
    keys[leafCount] = weight << 8 | static_cast<std::uint64_t>(255 - s);
    leafCount += weight != 0;
  }
  if (leafCount == 0) return table;
  std::sort(keys, keys + leafCount, std::greater<>());
  Leaf leaves[kMaxLeaves];
  for (int i = 0; i < leafCount; ++i) leaves[i] = {keys[i] >> 8, 255 - static_cast<int>(keys[i] & 0xFF)};
  leaves[leafCount++] = {1, -1};

  Leaf increasing[kMaxLeaves];
  std::reverse_copy(leaves, leaves + leafCount, increasing);
  int depthCounts[kMaxLeaves + 1];
  HuffmanDepthCounts(increasing, leafCount, depthCounts);
  LimitDepths(depthCounts, leafCount);

  // The placeholder takes the last code of the longest length, the all-ones
  // one, and is then left out.
  int longest = kMaxLength;
  while (depthCounts[longest] == 0) --longest;
  --depthCounts[longest];
  for (int length = 1; length <= kMaxLength; ++length) {
    table.counts[length - 1] = static_cast<std::uint8_t>(depthCounts[length]);
  }
  // Shorter codes to more frequent symbols: the leaves are in that order.
  table.symbolCount = leafCount - 1;
  for (int i = 0; i < table.symbolCount; ++i) table.symbols[i] = static_cast<std::uint8_t>(leaves[i].symbol);
  return table;
}

}  // namespace lumavex::jpeg
