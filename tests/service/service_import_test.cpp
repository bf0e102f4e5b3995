// Imports with the real catalogue-service: one that cannot be taken whole
// fails loudly and changes nothing, and only the files imports make are ever
// removed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "running_service.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

const std::string kGoodLine = "CSOL\tgood\tfree\t2001-01-01 00:00:00\t\tg1\n";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every name in `folder` and the bytes of every regular file.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    files[item.path().filename().string()] =
        item.is_regular_file() ? Contents(item.path().string()) : "(not a file)";
  }
  return files;
}

std::string LastLine(const std::string& text) {
  const std::size_t end = text.ends_with('\n') ? text.size() - 1 : text.size();
  const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - start - 1);
}

struct FailingImport {
  std::string name;
  std::string input;  // written to the file "in" unless it names a path of its own
  std::vector<std::string> options;
  std::string last_line;  // after "catalogue-service: ", with "{}" for the input's path
};

TEST(ServiceImportTest, AnImportThatCannotBeTakenWholeChangesNothing) {
  TempDir dir;
  const std::string catalogues = dir.File("catalogues");
  std::filesystem::create_directory(catalogues);
  const std::string db = catalogues + "/c.sqlite3";
  std::ofstream(dir.File("first"), std::ios::binary) << kGoodLine;
  ASSERT_EQ(RunProgram(kService, {"--db", db, "--import", dir.File("first")}).exit_code, 0);
  std::string passwd;
  for (int i = 0; i < 3; ++i) passwd += "user" + std::to_string(i) + ":x:0:0::/root:/bin/sh\n";
  const std::string folder = dir.File("a-folder");
  std::filesystem::create_directory(folder);

  const std::vector<FailingImport> cases = {
      {"a folder", folder, {}, "{} is a folder, not a file to import"},
      {"a read error", "/proc/self/mem", {}, "{}:1: cannot be read on: Input/output error"},
      {"every line skipped", passwd, {"--max-skipped", "100"}, "{}:3: no valid entry in 3 lines"},
      {"nothing at all", "", {}, "{}:0: no valid entry in 0 lines"},
      {"a skipped line",
       kGoodLine + "two\tfields\n",
       {},
       "{}:2: 1 line skipped, more than --max-skipped 0 allows"},
      {"a line of 2 MiB",
       kGoodLine + std::string(2 << 20, 'x') + "\n" + kGoodLine,
       {},
       "{}:2: 1 line skipped, more than --max-skipped 0 allows"},
      {"a title of 5000 bytes",
       "CSOL\t" + std::string(5000, 't') + "\tfree\t2001\t\tg2\n",
       {},
       "{}:1: 1 line skipped, more than --max-skipped 0 allows"},
      {"more skipped lines than allowed",
       kGoodLine + "x\nx\n" + kGoodLine + "x\n",
       {"--max-skipped", "2"},
       "{}:5: 3 lines skipped, more than --max-skipped 2 allows"},
  };
  for (const FailingImport& c : cases) {
    std::string input = c.input;
    if (!input.starts_with("/")) {
      input = dir.File("in");
      std::ofstream(input, std::ios::binary | std::ios::trunc) << c.input;
    }
    std::string expected = "catalogue-service: " + c.last_line + "; the catalogue was not changed";
    expected.replace(expected.find("{}"), 2, input);
    const std::string missing = catalogues + "/missing.sqlite3";
    const auto before = Snapshot(catalogues);
    for (const std::string& target : {db, missing}) {
      std::vector<std::string> arguments = {"--db", target, "--import", input};
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      const ProgramResult run = RunProgram(kService, arguments);
      EXPECT_EQ(run.exit_code, 1) << c.name << ": " << run.out << run.err;
      EXPECT_EQ(LastLine(run.err), expected) << c.name;
      EXPECT_EQ(run.out, "") << c.name;
    }
    EXPECT_EQ(Snapshot(catalogues), before) << c.name;
  }
}

std::string GoodLines(int count) {
  std::string lines;
  for (int i = 1; i <= count; ++i) {
    lines += "CSOL\tgood " + std::to_string(i) + "\tfree\t2001\t\tg" + std::to_string(i) + "\n";
  }
  return lines;
}

// --remove takes out every entry it names in one step, or none of them.
TEST(ServiceImportTest, RemovesAllTheEntriesNamedOrNone) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  const std::string missing = dir.File("missing.sqlite3");
  ASSERT_EQ(ImportLines(dir, db, GoodLines(4)).exit_code, 0);
  const auto before = Snapshot(dir.path());
  const std::vector<std::pair<std::vector<std::string>, std::string>> failing = {
      {{"--db", db, "--remove", "g1", "nope", "gone"},
       "--remove nope: " + db + " has no entry with this EntryId (nor with 1 more of those given)"},
      {{"--db", missing, "--remove", "g1"},
       "cannot remove entries from " + missing + ": No such file or directory"},
  };
  for (const auto& [arguments, cause] : failing) {
    const ProgramResult run = RunProgram(kService, arguments);
    EXPECT_EQ(run.exit_code, 1) << cause;
    EXPECT_EQ(LastLine(run.err), "catalogue-service: " + cause + "; the catalogue was not changed");
    EXPECT_EQ(Snapshot(dir.path()), before) << cause;
  }

  const ProgramResult removed = RunProgram(kService, {"--db", db, "--remove", "g1", "g3"});
  EXPECT_EQ(removed.exit_code, 0) << removed.err;
  EXPECT_EQ(removed.out, "removed 2 entries from " + db + "; 2 left\n");
  const ProgramResult exported = RunProgram(kService, {"--db", db, "--export", "-"});
  EXPECT_EQ(exported.exit_code, 0) << exported.err;
  EXPECT_EQ(exported.out, "CSOL\tgood 2\tfree\t2001\t\tg2\nCSOL\tgood 4\tfree\t2001\t\tg4\n");
}

// An export is written beside its file and renamed over it once whole.
TEST(ServiceImportTest, AnExportThatCannotBeWholeLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  ASSERT_EQ(ImportLines(dir, db, GoodLines(2)).exit_code, 0);
  const std::string file = dir.File("entries.tsv");
  ASSERT_EQ(RunProgram(kService, {"--db", db, "--export", file}).exit_code, 0);
  const std::string whole = Contents(file);
  EXPECT_EQ(whole, GoodLines(2));
  // Edited in place by another program: no import line can carry a tab.
  SqliteDatabase(db, SqliteDatabase::Mode::kReadWriteCreate)
      .Execute("UPDATE entries SET title = 'a' || char(9) || 'b' WHERE entry_id = 'g2'");
  const auto before = Snapshot(dir.path());
  const ProgramResult run = RunProgram(kService, {"--db", db, "--export", file});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(LastLine(run.err), "catalogue-service: " + db +
                                   ": the entry 'g2' has a tab in its Title; nothing was exported");
  EXPECT_EQ(Snapshot(dir.path()), before);
}

// The old push recipe ran the import as root in the state folder of the
// system's service, which the service's own user owns: a link it planted
// there made root replace a root-only file with a catalogue anyone may read.
TEST(ServiceImportTest, RootWillNotFollowALinkPlantedInAFolderAnotherUserOwns) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can be led astray this way";
  TempDir dir;
  const std::string state = dir.File("state");
  const std::string secret = dir.File("secret");
  std::filesystem::create_directory(state);
  ASSERT_EQ(::chown(state.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(state.c_str(), 0750), 0);
  std::ofstream(secret).close();
  ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
  const std::string planted = state + "/catalogue.next.sqlite3";
  ASSERT_EQ(::symlink(secret.c_str(), planted.c_str()), 0);
  std::ofstream(dir.File("in.tsv")) << kGoodLine;

  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--db", planted, "--import", dir.File("in.tsv")},
        std::vector<std::string>{"--db", planted, "--remove", "g1"},
        std::vector<std::string>{"--db", dir.File("c.sqlite3"), "--import", planted}}) {
    const ProgramResult run = RunProgram(kService, arguments);
    EXPECT_EQ(run.exit_code, 2) << arguments[3] << ": " << run.out << run.err;
    EXPECT_TRUE(
        LastLine(run.err).starts_with("catalogue-service: " + state + " can be changed by user "))
        << run.err;
  }
  struct stat info {};
  ASSERT_EQ(::stat(secret.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.sqlite3")));
}

// Files an operator keeps beside the catalogue, some named much as an import's
// own leftovers are, and what each must still hold afterwards.
struct OperatorFile {
  std::string name;  // beside the catalogue; "/" inside makes a folder
  std::string text;  // "" for a folder
};

TEST(ServiceImportTest, ImportsRemoveNothingButTheirOwnLeftovers) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  const std::vector<OperatorFile> kept = {
      {"c.sqlite3.import-notes.txt", "what to import next"},
      {"c.sqlite3.import-data.tsv", kGoodLine},  // imported itself, below
      {"c.sqlite3.import-old/", ""},
      {"c.sqlite3.import-1", "a file named as imports once named theirs"},
      {"c.sqlite3.new-1", "a file named as the starter catalogue once was"},
      {"c.sqlite3.quorvel-scratch-", "no random part"},
      {"c.sqlite3.quorvel-scratch-Ab12Cd", "a file, not a folder"},
      {"c.sqlite3.quorvel-scratch-xY34zw/catalogue.sqlite3", "in a folder without the marker"},
      {"c.sqlite3.quorvel-scratch-1234567/notes", "seven random characters"},
  };
  for (const OperatorFile& file : kept) {
    const std::string path = dir.File(file.name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (!file.name.ends_with("/")) std::ofstream(path, std::ios::binary) << file.text;
  }
  for (int round = 0; round < 2; ++round) {
    const ProgramResult run =
        RunProgram(kService, {"--db", db, "--import", dir.File("c.sqlite3.import-data.tsv")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
  }
  for (const OperatorFile& file : kept) {
    const std::string path = dir.File(file.name);
    EXPECT_TRUE(std::filesystem::exists(path)) << file.name;
    if (!file.name.ends_with("/")) {
      EXPECT_EQ(Contents(path), file.text) << file.name;
    }
  }
}

}  // namespace
}  // namespace quorvel::service
