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
  slots_.fill(-1);
  if (shared_) {
    std::vector<std::uint8_t>& store = SequenceStore();
    const std::size_t needed = slots_.size() * 2 * static_cast<std::size_t>(width);
    if (store.size() < needed) store.resize(needed);
    store_ = store.data();
  }
}

FourColourRows::~FourColourRows() = default;

const std::uint8_t* FourColourRows::Sequence(int magnitude, int parity) {
  const auto width = static_cast<std::size_t>(width_);
  std::int16_t& slot = slots_[magnitude];
  if (slot < 0) {
    slot = static_cast<std::int16_t>(slots_used_++);
    std::uint8_t* even = store_ + 2 * width * slot;
    pixel_kernels::RampSequences(SafeDivide(magnitude, width_), width_, even, even + width);
  }
  return store_ + 2 * width * slot + (parity != 0 ? width : 0);
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
