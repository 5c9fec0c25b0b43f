#pragma once

#include <vector>

// Ring buffer that delays the dry signal to line up with the oversampled wet
// path. After Resize(slots) the write position is slot 0 and the read
// position slot 1, so with one Write followed by one Read per sample a value
// comes out slots - 1 samples after it went in (32 slots: 31 samples).
class DryDelayLine
{
public:
    // slots >= 2 (smaller values are raised to 2, so the read position is
    // always inside the ring). Grows the storage when needed, never shrinks
    // it; slots added by growing are zero, the others keep their old contents
    // (the fade-in after a reset covers them). May allocate:
    // [reset only, never on the audio thread]
    void Resize(int slots);

    // [audio thread]
    void Write(double x)
    {
        ring_[write_] = x;
        write_ = (write_ + 1 == slots_) ? 0 : write_ + 1;
    }

    // [audio thread]
    double Read()
    {
        const double v = ring_[read_];
        read_ = (read_ + 1 == slots_) ? 0 : read_ + 1;
        return v;
    }

    int Slots() const { return slots_; }

private:
    // A constructed line is usable: two slots, one sample of delay.
    std::vector<double> ring_ = std::vector<double>(2, 0.0);
    int slots_ = 2;
    int write_ = 0;
    int read_ = 1;
};
