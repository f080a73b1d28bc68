#pragma once

#include "mesh/image_decoder.h"
#include "platform/monotonic_clock.h"

#include <algorithm>
#include <cstddef>

// What is left of one texture list's DecodeBudget while its files are decoded; the list's time
// starts when this is made. Both systems' decoders keep to it the same way.
class BudgetLeft {
  public:
    explicit BudgetLeft(const DecodeBudget& budget)
        : rules(budget), listEnd(monotonicMilliseconds() + budget.listMilliseconds),
          memoryLeft(budget.memoryBytes) {}

    // Out of time or memory: the files not yet decoded fail as missing ones do.
    bool spent() const { return listMilliseconds() <= 0 || memoryLeft == 0; }
    // The time a file of this size may take: the floor and its size at the budget's rate, never
    // past the list's end.
    int fileMilliseconds(long long fileSize) const {
        const long long bySize = rules.floorMilliseconds + fileSize * 1000 / rules.bytesPerSecond;
        return static_cast<int>(std::max(0LL, std::min(listMilliseconds(), bySize)));
    }
    // Memory the images not yet handed out may still take.
    std::size_t memory() const { return memoryLeft; }
    // Counts an image's pixels against the memory left; false, counting nothing, when they do
    // not fit.
    bool take(std::size_t bytes) {
        if (bytes > memoryLeft) return false;
        memoryLeft -= bytes;
        return true;
    }

  private:
    long long listMilliseconds() const { return listEnd - monotonicMilliseconds(); }

    DecodeBudget rules;
    long long listEnd;
    std::size_t memoryLeft;
};
