#include "progressbar/four_colour_rows.h"

#include "progressbar/colour_ramp_kernel.h"
#include "progressbar/pixel_kernels.h"

namespace quorvel::progressbar {

namespace {

std::vector<std::uint8_t>& SequenceStore() {
  thread_local std::vector<std::uint8_t> store;
  return store;
}

}  // namespace

FourColourRows::FourColourRows(std::int32_t width)
    : width_(width), shared_(width <= kMaxSharedWidth) {
  if (shared_) {
    // Borrowed for the object's lifetime; a painter called from inside a
    // device finds the thread's store empty and uses its own.
    store_.swap(SequenceStore());
    const std::size_t needed = slots_.size() * 2 * static_cast<std::size_t>(width);
    if (store_.size() < needed) store_.resize(needed);
  }
}

FourColourRows::~FourColourRows() {
  if (shared_) SequenceStore().swap(store_);
}

const std::uint8_t* FourColourRows::Sequence(int magnitude, int parity) {
  const auto width = static_cast<std::size_t>(width_);
  Slot& slot = slots_[magnitude];
  if (slot.index < 0) {
    slot.index = static_cast<std::int16_t>(slots_used_++);
    std::uint8_t* even = store_.data() + 2 * width * slot.index;
    const float step = SafeDivide(magnitude, width_);
    // Without a product ending in one half the parity changes nothing, and
    // the odd sequence is the even one.
    slot.odd_differs = pixel_kernels::HasHalves(step, width_);
    pixel_kernels::RampSequences(step, width_, even, slot.odd_differs ? even + width : nullptr);
  }
  const bool odd = parity != 0 && slot.odd_differs;
  return store_.data() + 2 * width * slot.index + (odd ? width : 0);
}

void FourColourRows::Build(PixelTriple from, PixelTriple to, std::uint8_t* out) {
  if (!shared_) {
    WriteRamp(out, width_, ComputeRampSteps(width_, from, to), from);
    return;
  }
  pixel_kernels::ChannelSource sources[3];
  for (int k = 0; k < 3; ++k) {
    const int difference = to[k] - from[k];
    sources[k] = {Sequence(difference < 0 ? -difference : difference, from[k] & 1), from[k],
                  difference < 0};
  }
  pixel_kernels::AssembleTriples(sources[kBlueByte], sources[kGreenByte], sources[kRedByte], width_,
                                 out);
}

}  // namespace quorvel::progressbar
