#include "shell_doubles.h"

namespace quorvel::shell::testing {

std::unique_ptr<catalogue::ListView> MakeQtListViewForTests(QWidget* /*host*/) {
  return std::make_unique<catalogue::testing::FakeListView>();
}

}  // namespace quorvel::shell::testing
