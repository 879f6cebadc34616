#include "engine/sort_adversary.h"

#include <numeric>
#include <utility>

#include "engine/line_sort.h"

namespace tarnel {

namespace {

using Rank = RankTree::Rank;
// Above every solid value; below kHighest, which the tree keeps for
// elements without a key.
constexpr Rank kGas = RankTree::kHighest - 1;

class Adversary {
 public:
  Adversary(std::size_t n, KillerKind kind) : value_(n, kGas), kind_(kind) {}

  int Compare(std::uint32_t x, std::uint32_t y) {
    ++comparisons_;
    if (value_[x] == kGas && value_[y] == kGas) {
      if (kind_ == KillerKind::kPairs) {
        Freeze(x, next_);
        Freeze(y, next_++);
      } else {
        Freeze(x == candidate_ ? x : y, next_++);
      }
    }
    if (value_[x] == kGas) {
      candidate_ = x;
    } else if (value_[y] == kGas) {
      candidate_ = y;
    }
    return value_[x] < value_[y] ? -1 : value_[x] > value_[y] ? 1 : 0;
  }

  void SetCandidate(std::uint32_t x) { candidate_ = x; }
  void CountSkipped(std::uint64_t count) { comparisons_ += count; }

  /// Tells |tree| of every freeze, |where| mapping element to position.
  void Follow(RankTree* tree, const std::vector<std::uint32_t>* where) {
    tree_ = tree;
    where_ = where;
  }

  /// Gas left at the end never met gas: any values above the solid ones fit.
  KillerOrder Finish() {
    bool second = false;
    for (Rank& value : value_) {
      if (value != kGas) continue;
      value = next_;
      if (kind_ == KillerKind::kDistinct || second) ++next_;
      second = !second && kind_ == KillerKind::kPairs;
    }
    KillerOrder order;
    order.keys.reserve(value_.size());
    for (Rank value : value_) {
      order.keys.push_back(static_cast<std::uint32_t>(value));
    }
    order.comparisons = comparisons_;
    return order;
  }

 private:
  void Freeze(std::uint32_t x, Rank value) {
    value_[x] = value;
    if (tree_) tree_->Assign((*where_)[x], value, value);
  }

  std::vector<Rank> value_;
  KillerKind kind_;
  Rank next_ = 0;
  std::uint32_t candidate_ = 0;
  std::uint64_t comparisons_ = 0;
  RankTree* tree_ = nullptr;
  const std::vector<std::uint32_t>* where_ = nullptr;
};

// The skipping form's steps against the adversary. Values only ever go from
// gas to solid, so a walk's outcomes, read off the tree, are the ones the
// comparisons would have given, and none of them freezes anything (a walk
// never meets gas against gas); what a walk would have changed in the
// adversary is only the candidate, set as the walk's last comparison would
// have set it.
class SkippingPlay {
 public:
  SkippingPlay(std::size_t n, Adversary& adversary)
      : adversary_(adversary),
        at_(n),
        where_(n),
        nodes_(RankTree::NodesFor(n)),
        tree_(nodes_.data(), n) {
    std::iota(at_.begin(), at_.end(), 0u);
    std::iota(where_.begin(), where_.end(), 0u);
    for (std::size_t i = 0; i < n; ++i) tree_.SetLeaf(i, kGas, kGas);
    tree_.Build();
    adversary_.Follow(&tree_, &where_);
  }

  void SortRange(std::size_t lo, std::size_t n) {
    PartitionResult parts;
    while (n >= 2 && Partition(lo, n, &parts)) {
      if (parts.n_left > parts.n_right) {
        SortRange(lo + parts.right, parts.n_right);
        n = parts.n_left;
      } else {
        SortRange(lo, parts.n_left);
        lo += parts.right;
        n = parts.n_right;
      }
    }
  }

 private:
  int Compare(std::size_t x, std::size_t y) {
    return adversary_.Compare(at_[x], at_[y]);
  }
  void Exchange(std::size_t x, std::size_t y) {
    if (x == y) return;
    std::swap(at_[x], at_[y]);
    where_[at_[x]] = static_cast<std::uint32_t>(x);
    where_[at_[y]] = static_cast<std::uint32_t>(y);
    tree_.Swap(x, y);
  }

  // PartitionLines at absolute positions [lo, lo + n).
  bool Partition(std::size_t lo, std::size_t n, PartitionResult* result) {
    if (n == 2) {
      if (Compare(lo, lo + 1) > 0) Exchange(lo, lo + 1);
      return false;
    }
    std::size_t hi = lo + n - 1;
    const std::size_t mid = lo + n / 2;
    if (Compare(mid, hi) > 0) Exchange(mid, hi);
    if (Compare(mid, lo) > 0) {
      Exchange(mid, lo);
    } else if (Compare(lo, hi) > 0) {
      Exchange(lo, hi);
    }
    if (n == 3) {
      Exchange(lo, mid);
      return false;
    }
    std::size_t eq = lo + 1;
    std::size_t i = lo + 1;
    for (;;) {
      // The pivot may freeze in any comparison: read its value afresh.
      Rank pivot = tree_.RankAt(lo);
      const std::size_t stop = tree_.FirstNotBelow(i, hi, pivot);
      const std::size_t walked = (stop == RankTree::kNone ? hi + 1 : stop) - i;
      // Solid against a gas pivot: each such comparison names the pivot.
      if (walked > 0 && pivot == kGas) adversary_.SetCandidate(at_[lo]);
      adversary_.CountSkipped(walked);
      if (stop == RankTree::kNone) {
        i = hi;
        break;
      }
      i = stop;
      const int r = Compare(i, lo);
      if (r <= 0) {
        if (r == 0) Exchange(i, eq++);
        if (i >= hi) break;
        ++i;
        continue;
      }
      if (i < hi) {
        pivot = tree_.RankAt(lo);
        const std::size_t back = tree_.LastNotAbove(i + 1, hi, pivot);
        const std::size_t first = back == RankTree::kNone ? i + 1 : back + 1;
        if (first <= hi) {
          // The walk down ends on its lowest element; the last gas it met
          // is the candidate.
          const std::size_t gas = tree_.FirstNotBelow(first, hi, kGas);
          if (gas != RankTree::kNone) adversary_.SetCandidate(at_[gas]);
          adversary_.CountSkipped(hi + 1 - first);
        }
        if (back == RankTree::kNone) {
          hi = i;
        } else {
          hi = back;
          const int r2 = Compare(lo, hi);
          Exchange(i, hi);
          if (r2 != 0) {
            ++i;
            --hi;
          }
        }
      }
      if (hi <= i) break;
    }
    if (Compare(i, lo) <= 0) ++i;
    std::size_t p = lo;
    std::size_t q = i - 1;
    while (p < eq && q >= eq) Exchange(p++, q--);
    *result = {i - eq, i - lo, lo + n - i};
    return true;
  }

  Adversary& adversary_;
  std::vector<std::uint32_t> at_;     // position -> element
  std::vector<std::uint32_t> where_;  // element -> position
  std::vector<RankTree::Node> nodes_;
  RankTree tree_;
};

}  // namespace

KillerOrder PlayAgainstLineSort(std::size_t n, KillerKind kind) {
  Adversary adversary(n, kind);
  std::vector<std::uint32_t> elements(n);
  std::iota(elements.begin(), elements.end(), 0u);
  // A plain lambda has no key test: LineSort keeps its plain steps.
  LineSort(elements.data(), n, [&adversary](std::uint32_t x, std::uint32_t y) {
    return adversary.Compare(x, y);
  });
  return adversary.Finish();
}

KillerOrder PlayAgainstLineSortSkipping(std::size_t n, KillerKind kind) {
  Adversary adversary(n, kind);
  if (n >= 2) {
    SkippingPlay play(n, adversary);
    play.SortRange(0, n);
  }
  return adversary.Finish();
}

}  // namespace tarnel
