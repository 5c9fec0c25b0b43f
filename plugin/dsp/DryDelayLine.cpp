#include "DryDelayLine.h"

#include <algorithm>
#include <cstddef>

void DryDelayLine::Resize(int slots)
{
    slots_ = std::max(slots, 2);
    if (static_cast<int>(ring_.size()) < slots_)
        ring_.resize(static_cast<std::size_t>(slots_));
    write_ = 0;
    read_ = 1;
}
