#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// The shape of the order lines of `ordbook_d`: which order each line belongs to and which
// line of the same order it hangs under.
namespace testdata {

struct OrderLine {
    std::int64_t seq = 0;        // the line's key: rising with gaps, as lines get deleted
    std::int64_t ordno = 0;      // the order it belongs to
    std::int64_t parentseq = 0;  // the key of its parent line in the same order; its own key at the top
};

// `lines` lines spread over orders of 1 to 8 lines; orderNumber(k) gives the number of the
// k-th order. Within an order a line hangs under an earlier one (chains several levels
// deep), and now and then a line hangs under one entered after it (a smaller key than its
// parent's). Lines come in key order.
std::vector<OrderLine> PlanOrderLines(std::int64_t lines, const std::function<std::int64_t(std::int64_t)>& orderNumber,
                                      std::uint64_t seed);

}  // namespace testdata
