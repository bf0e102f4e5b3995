// The client's transfer runs its own event loop, which needs an application;
// libcurl's global state is set up before the load's threads start.
#include <QCoreApplication>

#include <curl/curl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  QCoreApplication app(argc, argv);
  const int failed = RUN_ALL_TESTS();
  curl_global_cleanup();
  return failed;
}
