#include "engine/line_sort_fallback.h"

namespace tarnel {

RankTree::RankTree(Node* nodes, std::size_t n)
    : leaves_(std::bit_ceil(std::max<std::size_t>(n, 1))), nodes_(nodes) {
  // Unused leaves hold an empty interval, which stops no walk.
  for (std::size_t pos = n; pos < leaves_; ++pos) {
    SetLeaf(pos, kHighest, kLowest);
  }
}

void RankTree::Build() {
  for (std::size_t v = leaves_ - 1; v >= 1; --v) Pull(v);
  steps_ += leaves_;
}

void RankTree::Swap(std::size_t x, std::size_t y) {
  const Node at_x = nodes_[leaves_ + x];
  const Node at_y = nodes_[leaves_ + y];
  Update(x, at_y);
  Update(y, at_x);
}

std::size_t RankTree::FirstNotBelow(std::size_t from, std::size_t to,
                                    Rank rank) {
  std::size_t v = leaves_ + from;
  std::size_t start = from;  // first position under v
  std::size_t width = 1;     // positions under v
  for (;;) {
    ++steps_;
    if (nodes_[v].high >= rank) break;
    // Climb while v is a right child, then step to the next subtree.
    while (v & 1) {
      if (v == 1) return kNone;
      v >>= 1;
      start -= width;
      width *= 2;
      ++steps_;
    }
    start += width;
    if (start > to) return kNone;
    ++v;
  }
  while (v < leaves_) {
    ++steps_;
    v *= 2;
    if (nodes_[v].high < rank) ++v;
  }
  const std::size_t pos = v - leaves_;
  return pos <= to ? pos : kNone;
}

std::size_t RankTree::LastNotAbove(std::size_t from, std::size_t to,
                                   Rank rank) {
  std::size_t v = leaves_ + to;
  std::size_t end = to;  // last position under v
  std::size_t width = 1;
  for (;;) {
    ++steps_;
    if (nodes_[v].low <= rank) break;
    // Climb while v is a left child, then step to the previous subtree.
    while (!(v & 1)) {
      v >>= 1;
      end += width;
      width *= 2;
      ++steps_;
    }
    if (v == 1 || end < from + width) return kNone;
    end -= width;
    --v;
  }
  while (v < leaves_) {
    ++steps_;
    v = 2 * v + 1;
    if (nodes_[v].low > rank) --v;
  }
  const std::size_t pos = v - leaves_;
  return pos >= from ? pos : kNone;
}

void RankTree::Pull(std::size_t v) {
  nodes_[v] = {std::min(nodes_[2 * v].low, nodes_[2 * v + 1].low),
               std::max(nodes_[2 * v].high, nodes_[2 * v + 1].high)};
}

// A node whose interval comes out unchanged leaves its ancestors right.
void RankTree::Update(std::size_t pos, Node leaf) {
  std::size_t v = leaves_ + pos;
  nodes_[v] = leaf;
  for (v >>= 1; v >= 1; v >>= 1) {
    ++steps_;
    const Node before = nodes_[v];
    Pull(v);
    if (nodes_[v].low == before.low && nodes_[v].high == before.high) break;
  }
}

}  // namespace tarnel
