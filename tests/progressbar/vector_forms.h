#pragma once

// Runs a test once per width of the pixel loops. Where the processor lacks a
// form, that run uses the widest one it has.

#include <gtest/gtest.h>

#include <string>

#include "progressbar/pixel_kernels.h"

namespace quorvel::progressbar {

inline constexpr pixel_kernels::VectorForms kAllForms[] = {pixel_kernels::VectorForms::kAvx2,
                                                           pixel_kernels::VectorForms::kNone};

inline std::string FormName(const ::testing::TestParamInfo<pixel_kernels::VectorForms>& info) {
  switch (info.param) {
    case pixel_kernels::VectorForms::kAvx2:
      return "Avx2";
    case pixel_kernels::VectorForms::kNone:
      break;
  }
  return "Portable";
}

}  // namespace quorvel::progressbar
