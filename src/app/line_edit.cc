#include "app/line_edit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

// The search is E. Myers' "An O(ND) Difference Algorithm and Its Variations"
// (1986) in linear space: the middle of a shortest edit is found by searching
// from both ends at once, and each half is then solved alone. A limit on the
// search's cost for large files keeps it fast at the price of a longer edit.

namespace {

// The cost at which a search over large files takes the best point reached
// so far as its middle.
constexpr ptrdiff_t kCostLimit = 1024;

// The lines that occur on both sides, as numbers that are equal where the
// lines are, with the place of each in its file. A line that occurs on one
// side only goes or comes in every edit, so it is marked at once.
struct Kept {
  std::vector<uint32_t> ids;
  std::vector<size_t> lines;
};

void keepCommonLines(const std::vector<std::string_view>& before,
                     const std::vector<std::string_view>& after, LineEdit& edit, Kept& a,
                     Kept& b) {
  // Numbers for the distinct lines of the smaller side only, so that a huge
  // file beside a small one costs little memory.
  const bool beforeIsSmaller = before.size() <= after.size();
  const std::vector<std::string_view>& small = beforeIsSmaller ? before : after;
  const std::vector<std::string_view>& large = beforeIsSmaller ? after : before;
  std::vector<bool>& smallMarks = beforeIsSmaller ? edit.goes : edit.comes;
  std::vector<bool>& largeMarks = beforeIsSmaller ? edit.comes : edit.goes;
  Kept& smallKept = beforeIsSmaller ? a : b;
  Kept& largeKept = beforeIsSmaller ? b : a;

  std::unordered_map<std::string_view, uint32_t> ids;
  for (const std::string_view line : small)
    ids.emplace(line, static_cast<uint32_t>(ids.size()));
  std::vector<bool> onBothSides(ids.size());
  for (size_t i = 0; i < large.size(); ++i) {
    const auto found = ids.find(large[i]);
    if (found == ids.end()) {
      largeMarks[i] = true;
      continue;
    }
    onBothSides[found->second] = true;
    largeKept.ids.push_back(found->second);
    largeKept.lines.push_back(i);
  }
  for (size_t i = 0; i < small.size(); ++i) {
    const uint32_t id = ids.at(small[i]);
    if (!onBothSides[id]) {
      smallMarks[i] = true;
      continue;
    }
    smallKept.ids.push_back(id);
    smallKept.lines.push_back(i);
  }
}

class Search {
 public:
  Search(const Kept& a, const Kept& b, LineEdit& edit, bool limited)
      : a_(a.ids),
        b_(b.ids),
        aLines_(a.lines),
        bLines_(b.lines),
        edit_(edit),
        limited_(limited),
        forward_(a.ids.size() + b.ids.size() + 3),
        backward_(forward_.size()),
        origin_(static_cast<ptrdiff_t>(b.ids.size()) + 1) {}

  // Marks a shortest edit (or, when limited, a short one) of a[xoff, xlim)
  // into b[yoff, ylim).
  void compare(ptrdiff_t xoff, ptrdiff_t xlim, ptrdiff_t yoff, ptrdiff_t ylim) {
    for (;;) {
      while (xoff < xlim && yoff < ylim && same(xoff, yoff)) ++xoff, ++yoff;
      while (xoff < xlim && yoff < ylim && same(xlim - 1, ylim - 1)) --xlim, --ylim;
      if (xoff == xlim || yoff == ylim) {
        for (ptrdiff_t x = xoff; x < xlim; ++x) edit_.goes[aLines_[x]] = true;
        for (ptrdiff_t y = yoff; y < ylim; ++y) edit_.comes[bLines_[y]] = true;
        return;
      }
      const auto [x, y] = middle(xoff, xlim, yoff, ylim);
      compare(xoff, x, yoff, y);
      xoff = x, yoff = y;  // the second half without a deeper call
    }
  }

 private:
  struct Point {
    ptrdiff_t x, y;
  };

  [[nodiscard]] bool same(ptrdiff_t x, ptrdiff_t y) const { return a_[x] == b_[y]; }
  // The furthest x reached on diagonal k = x - y, from the start and from
  // the end.
  ptrdiff_t& fd(ptrdiff_t k) { return forward_[k + origin_]; }
  ptrdiff_t& bd(ptrdiff_t k) { return backward_[k + origin_]; }

  // A point on a shortest path from (xoff, yoff) to (xlim, ylim) that
  // leaves work on both sides of it; both ends differ, so it is neither.
  Point middle(ptrdiff_t xoff, ptrdiff_t xlim, ptrdiff_t yoff, ptrdiff_t ylim) {
    const ptrdiff_t dmin = xoff - ylim, dmax = xlim - yoff;
    const ptrdiff_t fmid = xoff - yoff, bmid = xlim - ylim;
    ptrdiff_t fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
    const bool odd = ((fmid - bmid) & 1) != 0;
    fd(fmid) = xoff;
    bd(bmid) = xlim;
    for (ptrdiff_t cost = 1;; ++cost) {
      // One more step from the start on each diagonal it can reach.
      if (fmin > dmin)
        fd(--fmin - 1) = -1;
      else
        ++fmin;
      if (fmax < dmax)
        fd(++fmax + 1) = -1;
      else
        --fmax;
      for (ptrdiff_t k = fmax; k >= fmin; k -= 2) {
        const ptrdiff_t lo = fd(k - 1), hi = fd(k + 1);
        ptrdiff_t x = lo >= hi ? lo + 1 : hi, y = x - k;
        while (x < xlim && y < ylim && same(x, y)) ++x, ++y;
        fd(k) = x;
        if (odd && bmin <= k && k <= bmax && bd(k) <= x) return {x, y};
      }
      // And from the end.
      if (bmin > dmin)
        bd(--bmin - 1) = PTRDIFF_MAX;
      else
        ++bmin;
      if (bmax < dmax)
        bd(++bmax + 1) = PTRDIFF_MAX;
      else
        --bmax;
      for (ptrdiff_t k = bmax; k >= bmin; k -= 2) {
        const ptrdiff_t lo = bd(k - 1), hi = bd(k + 1);
        ptrdiff_t x = lo < hi ? lo : hi - 1, y = x - k;
        while (xoff < x && yoff < y && same(x - 1, y - 1)) --x, --y;
        bd(k) = x;
        if (!odd && fmin <= k && k <= fmax && x <= fd(k)) return {x, y};
      }
      if (limited_ && cost >= kCostLimit) {
        edit_.shortest = false;
        return furthest(xoff, xlim, yoff, ylim, fmin, fmax, bmin, bmax);
      }
    }
  }

  // The point that either search has brought furthest from its end.
  Point furthest(ptrdiff_t xoff, ptrdiff_t xlim, ptrdiff_t yoff, ptrdiff_t ylim,
                 ptrdiff_t fmin, ptrdiff_t fmax, ptrdiff_t bmin, ptrdiff_t bmax) {
    Point ahead{xoff, yoff};
    for (ptrdiff_t k = fmax; k >= fmin; k -= 2) {
      ptrdiff_t x = std::min(fd(k), xlim), y = x - k;
      if (y > ylim) x = ylim + k, y = ylim;
      if (x + y > ahead.x + ahead.y) ahead = {x, y};
    }
    Point behind{xlim, ylim};
    for (ptrdiff_t k = bmax; k >= bmin; k -= 2) {
      ptrdiff_t x = std::max(bd(k), xoff), y = x - k;
      if (y < yoff) x = yoff + k, y = yoff;
      if (x + y < behind.x + behind.y) behind = {x, y};
    }
    return (ahead.x + ahead.y) - (xoff + yoff) > (xlim + ylim) - (behind.x + behind.y)
               ? ahead
               : behind;
  }

  const std::vector<uint32_t>& a_;
  const std::vector<uint32_t>& b_;
  const std::vector<size_t>& aLines_;
  const std::vector<size_t>& bLines_;
  LineEdit& edit_;
  const bool limited_;
  std::vector<ptrdiff_t> forward_, backward_;
  const ptrdiff_t origin_;
};

}  // namespace

LineEdit editLines(const std::vector<std::string_view>& before,
                   const std::vector<std::string_view>& after) {
  LineEdit edit;
  edit.goes.resize(before.size());
  edit.comes.resize(after.size());
  Kept a, b;
  keepCommonLines(before, after, edit, a, b);
  const bool limited =
      before.size() > kShortestEditLines || after.size() > kShortestEditLines;
  Search(a, b, edit, limited)
      .compare(0, static_cast<ptrdiff_t>(a.ids.size()), 0,
               static_cast<ptrdiff_t>(b.ids.size()));
  return edit;
}
