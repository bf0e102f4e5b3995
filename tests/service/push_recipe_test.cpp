// deploy/push-catalogue, the push an operator runs as root, against a state
// folder that the service's user owns and has planted links in.  systemd-run
// is played by a stand-in that runs the command as that user, as the real one
// runs it as the unit's user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "running_service.h"
#include "service/store/catalogue_store.h"

namespace quorvel::service {
namespace {

constexpr uid_t kServiceUser = 65534;

// What systemd-run does for the push, but for the unit around the command.
constexpr const char* kStandIn = R"(#!/bin/sh
user=
while [ $# -gt 0 ]; do
  case $1 in
    --property=User=*) user=${1#--property=User=} ;;
    -*) ;;
    *) break ;;
  esac
  shift
done
[ "$user" = quorvel-catalogue-service ] || exit 99
exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
)";

TEST(PushRecipeTest, RootFollowsNoLinkThatTheServicesUserPlanted) {
  if (::geteuid() != 0) GTEST_SKIP() << "the push is root's";
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string bin = dir.File("bin");
  std::filesystem::create_directory(bin);
  std::ofstream(bin + "/systemd-run") << kStandIn;
  ASSERT_EQ(::chmod((bin + "/systemd-run").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(kService.c_str(), (bin + "/quorvel-catalogue-service").c_str()), 0);

  const std::string state = dir.File("state");
  std::filesystem::create_directory(state);
  ASSERT_EQ(::chown(state.c_str(), kServiceUser, kServiceUser), 0);
  ASSERT_EQ(::chmod(state.c_str(), 0750), 0);
  // A root-only file, and the service's user's link to it where the push
  // builds its catalogue.
  const std::string secret = dir.File("secret");
  std::ofstream(secret).close();
  ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
  const std::string link = state + "/catalogue.next.sqlite3";
  ASSERT_EQ(::symlink(secret.c_str(), link.c_str()), 0);
  ASSERT_EQ(::lchown(link.c_str(), kServiceUser, kServiceUser), 0);
  // Root's own file, which the service's user may not read.
  const std::string entries = dir.File("entries.tsv");
  std::ofstream(entries) << "CSOL\ta\tfree\t2001\t\t1\nCSOL\tb\tfree\t2001\t\t2\n";
  ASSERT_EQ(::chmod(entries.c_str(), 0600), 0);
  std::ofstream(dir.File("more.tsv")) << "CSOL\tc\tfree\t2001\t\t3\n";

  const std::string path = "PATH=" + bin + ":/usr/bin:/bin";
  const std::string script = PUSH_CATALOGUE_PATH;
  const std::string where = "QUORVEL_CATALOGUE_STATE=" + state;
  const ProgramResult pushed = RunProgram("/usr/bin/env", {path, where, "sh", script, entries});
  ASSERT_EQ(pushed.exit_code, 0) << pushed.out << pushed.err;
  const ProgramResult added =
      RunProgram("/usr/bin/env", {path, where, "sh", script, "--add", dir.File("more.tsv")});
  ASSERT_EQ(added.exit_code, 0) << added.out << added.err;

  struct stat info {};
  ASSERT_EQ(::stat(secret.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string live = state + "/catalogue.sqlite3";
  ASSERT_EQ(::lstat(live.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_uid, kServiceUser);
  EXPECT_EQ(CatalogueStore(live).EntryCount(), 3);
}

}  // namespace
}  // namespace quorvel::service
