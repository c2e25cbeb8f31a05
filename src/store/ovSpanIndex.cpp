#include "store/ovSpanIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

void ovSpanIndex::build(std::vector<double> starts, std::vector<double> ends) {
    starts_ = std::move(starts);
    ends_ = std::move(ends);
    ends_.resize(starts_.size(), -std::numeric_limits<double>::infinity());
    // NaN would make every comparison false and the order undefined; the store keeps
    // none, but a wrong order must only cost speed, never results.
    sorted_ = std::is_sorted(starts_.begin(), starts_.end()) &&
              std::none_of(starts_.begin(), starts_.end(), [](double d) { return std::isnan(d); });
    leafBase_ = 1;
    while (leafBase_ < size())
        leafBase_ *= 2;
    maxEnd_.assign(static_cast<size_t>(2 * leafBase_), -std::numeric_limits<double>::infinity());
    for (int i = 0; i < size(); ++i)
        maxEnd_[static_cast<size_t>(leafBase_ + i)] = ends_[static_cast<size_t>(i)];
    for (int node = leafBase_ - 1; node >= 1; --node)
        maxEnd_[static_cast<size_t>(node)] =
            std::max(maxEnd_[static_cast<size_t>(2 * node)], maxEnd_[static_cast<size_t>(2 * node + 1)]);
}

void ovSpanIndex::clear() {
    build({}, {});
}

void ovSpanIndex::findOverlapping(double lo, double hi, std::vector<int>& out) const {
    out.clear();
    if (!sorted_) {
        for (int i = size() - 1; i >= 0; --i)
            if (starts_[static_cast<size_t>(i)] <= hi && ends_[static_cast<size_t>(i)] >= lo)
                out.push_back(i);
        return;
    }
    // Only spans up to `last` start early enough; among them the tree skips every
    // subtree whose latest end is before lo.
    const int last =
        static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), hi) - starts_.begin()) - 1;
    if (last < 0)
        return;
    collect(1, 0, leafBase_ - 1, last, lo, out);
}

void ovSpanIndex::collect(int node, int nodeFirst, int nodeLast, int last, double lo,
                          std::vector<int>& out) const {
    if (nodeFirst > last || !(maxEnd_[static_cast<size_t>(node)] >= lo))
        return;
    if (nodeFirst == nodeLast) {
        out.push_back(nodeFirst);
        return;
    }
    const int middle = nodeFirst + (nodeLast - nodeFirst) / 2;
    // Right half first: the result runs from the last position to the first.
    collect(2 * node + 1, middle + 1, nodeLast, last, lo, out);
    collect(2 * node, nodeFirst, middle, last, lo, out);
}
