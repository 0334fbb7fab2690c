#include "testdata/OrderLines.h"

#include <algorithm>
#include <numeric>

#include "testdata/Random.h"

namespace testdata {

std::vector<OrderLine> PlanOrderLines(std::int64_t lines, const std::function<std::int64_t(std::int64_t)>& orderNumber,
                                      std::uint64_t seed) {
    std::vector<OrderLine> plan;
    plan.reserve(static_cast<std::size_t>(std::max<std::int64_t>(lines, 0)));
    Rng rng(Mix(seed ^ HashText("ordbook_d lines")));
    std::int64_t nextSeq = 1000;
    for (std::int64_t order = 0; static_cast<std::int64_t>(plan.size()) < lines; ++order) {
        const std::int64_t ordno = orderNumber(order);
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(rng.Between(1, 8), lines - static_cast<std::int64_t>(plan.size())));
        // parent[j] < 0: a line at the top of the order.
        std::vector<int> parent(n, -1);
        for (std::size_t j = 1; j < n; ++j) {
            if (rng.Percent(30)) continue;
            parent[j] = rng.Percent(60) ? static_cast<int>(j - 1)
                                        : static_cast<int>(rng.Between(0, static_cast<std::int64_t>(j) - 1));
        }
        std::vector<std::int64_t> seq(n);
        for (std::size_t j = 0; j < n; ++j) {
            nextSeq += 1 + (rng.Percent(20) ? rng.Between(1, 4) : 0);
            seq[j] = nextSeq;
        }
        // A line moved under a later one: swapping the keys of a child and its parent gives
        // the child the smaller key.
        if (rng.Percent(15)) {
            for (std::size_t j = 0; j < n; ++j)
                if (parent[j] >= 0) {
                    std::swap(seq[j], seq[static_cast<std::size_t>(parent[j])]);
                    break;
                }
        }
        std::vector<std::size_t> byKey(n);
        std::iota(byKey.begin(), byKey.end(), 0);
        std::sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return seq[a] < seq[b]; });
        for (std::size_t j : byKey)
            plan.push_back({seq[j], ordno, parent[j] < 0 ? seq[j] : seq[static_cast<std::size_t>(parent[j])]});
    }
    return plan;
}

}  // namespace testdata
