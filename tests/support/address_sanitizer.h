#pragma once

// Whether this build runs under AddressSanitizer: GCC says so with
// __SANITIZE_ADDRESS__, Clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_ADDRESS_SANITIZER 1
#endif
#endif

namespace quorvel::testing {

#ifdef QUORVEL_ADDRESS_SANITIZER
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace quorvel::testing
