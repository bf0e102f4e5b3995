#pragma once

// Where the Linux scenario server listens, as run_wine_test.sh passes it on;
// empty when the tests run without it.

#include <cstdlib>
#include <string>

namespace quorvel::testing {

inline std::u16string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  const std::string text = value == nullptr ? std::string() : std::string(value);
  return std::u16string(text.begin(), text.end());
}

// "http://127.0.0.1:PORT" + target, or empty.
inline std::u16string ScenarioUrl(const std::u16string& target) {
  const std::u16string host = FromEnvironment("QUORVEL_SCENARIO_SERVER");
  return host.empty() ? host : u"http://" + host + target;
}

}  // namespace quorvel::testing
