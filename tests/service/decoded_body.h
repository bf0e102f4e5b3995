#pragma once

#include <optional>
#include <string>

#include "loopback_connection.h"

namespace quorvel::service {

// The body of `reply` as its client reads it once its Content-Encoding (none,
// gzip or br) is undone; nothing when it does not decode.
std::optional<std::string> Decoded(const testing::HttpReply& reply);

}  // namespace quorvel::service
