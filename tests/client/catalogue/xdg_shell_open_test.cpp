#include "client/catalogue/qt/xdg_shell_open.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

// A stand-in for xdg-open that writes its folder and arguments to a file.
class FakeOpener {
 public:
  FakeOpener() {
    script_ = dir_.filePath("opener");
    QFile file(script_);
    if (file.open(QIODevice::WriteOnly)) {
      file.write("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"" +
                 dir_.filePath("out.tmp").toUtf8() + "\"\nmv \"" +
                 dir_.filePath("out.tmp").toUtf8() + "\" \"" + dir_.filePath("out").toUtf8() +
                 "\"\n");
      file.close();
      file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
  }

  QString program() const { return script_; }
  QString folder() const { return dir_.path(); }

  // What the opener wrote, once it has run.
  QStringList Output() const {
    QFile out(dir_.filePath("out"));
    for (int i = 0; i < 500 && !out.exists(); ++i) QTest::qWait(10);
    if (!out.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(out.readAll()).split('\n', Qt::SkipEmptyParts);
  }

 private:
  QTemporaryDir dir_;
  QString script_;
};

TEST(XdgShellOpenTest, StartsTheOpenerInTheProgramFolder) {
  FakeOpener opener;
  QTemporaryDir program_folder;
  XdgShellOpen shell(opener.program());
  std::u16string error;
  ASSERT_TRUE(shell.Open(u"https://example.com/a b?x=1&y=$(id)",
                         program_folder.path().toStdU16String(), &error))
      << QString::fromStdU16String(error).toStdString();
  const QStringList output = opener.Output();
  ASSERT_EQ(output.size(), 2);
  EXPECT_EQ(QDir(output[0]).canonicalPath(), QDir(program_folder.path()).canonicalPath());
  EXPECT_EQ(output[1], "https://example.com/a b?x=1&y=$(id)");
}

TEST(XdgShellOpenTest, RefusedAddressStartsNothing) {
  FakeOpener opener;
  XdgShellOpen shell(opener.program());
  for (const char16_t* address : {u"--help", u"file:///etc/passwd", u"javascript:x", u"/bin/sh"}) {
    std::u16string error;
    EXPECT_FALSE(shell.Open(address, opener.folder().toStdU16String(), &error))
        << QString::fromUtf16(address).toStdString();
    EXPECT_FALSE(error.empty());
  }
  QTest::qWait(50);
  EXPECT_FALSE(QFile::exists(opener.folder() + "/out"));
}

TEST(XdgShellOpenTest, MissingOpenerIsReported) {
  XdgShellOpen shell("/nonexistent/xdg-open");
  std::u16string error;
  EXPECT_FALSE(shell.Open(u"http://example.com/", QDir::tempPath().toStdU16String(), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quorvel::catalogue
