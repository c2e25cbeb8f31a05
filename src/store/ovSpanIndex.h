#pragma once
// Finds the spans (start, end) that reach into a range, among spans sorted by start,
// without walking the ones that cannot: a max-end tree over the start order answers
// "which spans up to position p end at or after t" in O((k + 1) log n). The calendar
// cache uses it so that a long appointment that began before a shorter, already ended
// one is still found, while a day's query stays cheap with 100,000 appointments.
#include <vector>

class ovSpanIndex {
public:
    // starts must be in ascending order for the fast path; any other order is still
    // answered correctly, by a full scan.
    void build(std::vector<double> starts, std::vector<double> ends);
    void clear();
    int size() const { return static_cast<int>(starts_.size()); }

    // Positions of the spans with start <= hi and end >= lo, from the last to the first.
    void findOverlapping(double lo, double hi, std::vector<int>& out) const;

private:
    void collect(int node, int nodeFirst, int nodeLast, int last, double lo, std::vector<int>& out) const;

    std::vector<double> starts_;
    std::vector<double> ends_;
    std::vector<double> maxEnd_; // heap layout, leaves from leafBase_
    int leafBase_ = 0;
    bool sorted_ = true;
};
