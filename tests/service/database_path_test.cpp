// Which folders a user may trust with the catalogue's files: none that
// someone else can change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "service/database_path.h"
#include "service_process.h"

namespace quorvel::service {
namespace {

using quorvel::testing::TempDir;

TEST(DatabasePathTest, FoldersSomeoneElseCanChangeAreNamed) {
  TempDir dir;
  const uid_t me = ::geteuid();
  const std::string folder = dir.File("folder");
  const std::string file = folder + "/c.sqlite3";
  std::filesystem::create_directory(folder);
  struct Case {
    mode_t mode;
    std::string others;  // who may change the folder; empty: nobody
  };
  for (const Case& c :
       {Case{0755, ""}, Case{0777, "everyone"}, Case{01777, "everyone"}, Case{0775, "group"}}) {
    ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
    const std::string found = FolderOthersCanChange(file, me);
    if (c.others.empty()) {
      EXPECT_EQ(found, "") << std::oct << c.mode;
    } else {
      EXPECT_TRUE(found.starts_with(folder + " can be changed by " + c.others))
          << std::oct << c.mode << ": " << found;
    }
  }
  // Above the folder that holds the file, a sticky bit keeps others out.
  ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
  std::filesystem::create_directory(folder + "/inner");
  EXPECT_EQ(FolderOthersCanChange(folder + "/inner/c.sqlite3", me), "");
  EXPECT_EQ(FolderOthersCanChange(folder + "/inner/not/yet/c.sqlite3", me), "");
  // A link counts both where it lies and where it leads.
  std::ofstream(dir.File("target")).close();
  std::ofstream(folder + "/inner/target").close();
  ASSERT_EQ(::symlink(dir.File("target").c_str(), file.c_str()), 0);
  ASSERT_EQ(::symlink((folder + "/inner/target").c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(::chmod((folder + "/inner").c_str(), 0777), 0);
  EXPECT_TRUE(FolderOthersCanChange(file, me).starts_with(folder + " can be changed by"));
  EXPECT_TRUE(FolderOthersCanChange(dir.File("link"), me).starts_with(folder + "/inner can be"));
  EXPECT_EQ(FolderOthersCanChange(dir.File("target"), me), "");

  // Owned by someone else: root's own folders are trusted by all, anyone
  // else's by nobody else.
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  const uid_t other = me == 0 ? 65534 : me;
  const uid_t caller = me == 0 ? 0 : me + 1;
  if (me == 0) {
    ASSERT_EQ(::chown(folder.c_str(), other, static_cast<gid_t>(-1)), 0);
  }
  EXPECT_TRUE(FolderOthersCanChange(dir.File("folder/x"), caller)
                  .starts_with(folder + " can be changed by user "));
  const std::string mine = FolderOthersCanChange(dir.File("x"), 12345);
  EXPECT_TRUE(me == 0 ? mine.empty() : mine.starts_with(dir.path() + " can be changed by user "))
      << mine;
}

}  // namespace
}  // namespace quorvel::service
