#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <thread>

#include "platform/IniFile.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

using testing::ScratchFolder;

TEST(IniFile, ReadsIgnoreCaseAndTrimValues) {
  ScratchFolder folder;
  TIniFile ini(folder.Write("a.ini", "\xEF\xBB\xBF[Software\\Orvane]\r\n"
                                     "; Port=1\r\n"
                                     "  Port =  8080  \r\n"
                                     "Empty=\r\n"
                                     "NoEquals\r\n"
                                     "[Other]\n"
                                     "Port=9\n"
                                     "Only=here\n"));
  const struct { const char* section; const char* key; const char* value; } rows[] = {
      {"Software\\Orvane", "Port", "8080"}, {"SOFTWARE\\orvane", "pORT", "8080"}, {"Software\\Orvane", "Empty", ""},
      {"Software\\Orvane", "Only", "<none>"}, {"Software\\Orvane", "NoEquals", "<none>"},
      {"other", "port", "9"},                {"Missing", "Port", "<none>"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ini.ReadString(row.section, row.key, "<none>"), row.value) << row.section << "/" << row.key;
  EXPECT_EQ(ini.ReadInteger("Software\\Orvane", "Port", 1), 8080);
  EXPECT_EQ(ini.ReadInteger("Software\\Orvane", "Empty", 1), 1);
  EXPECT_TRUE(ini.ValueExists("software\\orvane", "empty"));
  EXPECT_EQ(ini.ReadSection("Software\\Orvane"), (std::vector<std::string>{"Port", "Empty"}));
}

TEST(IniFile, MissingFileReadsAsEmptyAndIsCreatedOnWrite) {
  ScratchFolder folder;
  TIniFile ini(folder.Path() + "new.ini");
  EXPECT_EQ(ini.ReadString("S", "K", "fallback"), "fallback");
  EXPECT_TRUE(ini.ReadSection("S").empty());
  EXPECT_TRUE(ini.DeleteKey("S", "K"));
  EXPECT_TRUE(ini.WriteInteger("S", "K", -4));
  EXPECT_EQ(ini.ReadInteger("s", "k", 0), -4);

  TIniFile nowhere(folder.Path() + "no/such/folder/x.ini");
  EXPECT_FALSE(nowhere.WriteString("S", "K", "v"));
}

// Reads are served from a kept copy of a file last modified long ago; every
// way the file can change on disk must still show.
TEST(IniFile, ReadsSeeEveryChangeOfAnOldFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("a.ini", "[S]\nK=one\n");
  const auto backdate = [&](const std::string& file) {
    const timespec hourAgo{::time(nullptr) - 3600, 0}, times[2] = {hourAgo, hourAgo};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  };
  TIniFile ini(path);
  backdate(path);
  EXPECT_EQ(ini.ReadString("S", "K", ""), "one");
  EXPECT_EQ(ini.ReadString("S", "K", ""), "one");

  folder.Write("a.ini", "[S]\nK=two\n");  // in place, same size, same times
  backdate(path);
  EXPECT_EQ(ini.ReadString("S", "K", ""), "two");

  folder.Write("b.ini", "[S]\nK=tri\n");  // another file moved over it
  backdate(folder.Path() + "b.ini");
  std::filesystem::rename(folder.Path() + "b.ini", path);
  EXPECT_EQ(ini.ReadString("S", "K", ""), "tri");

  EXPECT_TRUE(ini.WriteString("S", "K", "for"));
  backdate(path);
  EXPECT_EQ(ini.ReadString("S", "K", ""), "for");
  TIniFile other(path);  // the copy is the file's, not the reader's
  EXPECT_EQ(other.ReadString("S", "K", ""), "for");

  std::filesystem::remove(path);
  EXPECT_EQ(ini.ReadString("S", "K", "gone"), "gone");
  folder.Write("a.ini", "[S]\nK=six\n");  // a fresh file, rewritten at once
  EXPECT_EQ(ini.ReadString("S", "K", ""), "six");
  folder.Write("a.ini", "[S]\nK=sev\n");
  EXPECT_EQ(ini.ReadString("S", "K", ""), "sev");
}

TEST(IniFile, WritesKeepEveryOtherLine) {
  ScratchFolder folder;
  TIniFile ini(folder.Write("a.ini", "; comment\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nx=3\r\n"));
  EXPECT_TRUE(ini.WriteString("a", "X", "10"));  // replaced in place, key keeps the caller's spelling
  EXPECT_TRUE(ini.WriteString("A", "z", "4"));   // appended to A, before the blank line
  EXPECT_TRUE(ini.WriteString("C", "w", "5"));   // new section at the end
  EXPECT_TRUE(ini.DeleteKey("A", "y"));
  EXPECT_EQ(folder.Read("a.ini"), "; comment\r\n[A]\r\nX=10\r\nz=4\r\n\r\n[B]\r\nx=3\r\n[C]\r\nw=5\r\n");
}

TEST(IniFile, LineBreaksInAValueCannotAddKeysOrSections) {
  ScratchFolder folder;
  TIniFile ini(folder.Path() + "a.ini");
  EXPECT_TRUE(ini.WriteString("A", "k", "one\r\n[B]\nInjected=1"));
  EXPECT_EQ(ini.ReadString("A", "k", ""), "one  [B] Injected=1");
  EXPECT_FALSE(ini.ValueExists("B", "Injected"));
  EXPECT_EQ(ini.ReadSection("A").size(), 1u);
}

TEST(IniFile, ReadOnlyFileIsNeverRewritten) {
  ScratchFolder folder;
  TIniFile ini(folder.Write("a.ini", "[A]\r\nk=1\r\n"));
  ::chmod(ini.FileName.c_str(), 0444);
  EXPECT_FALSE(ini.WriteString("A", "k", "2"));
  EXPECT_FALSE(ini.DeleteKey("A", "k"));
  EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
}

TEST(IniFile, WritingTheValueTheFileHoldsLeavesItAlone) {
  ScratchFolder folder;
  TIniFile ini(folder.Write("a.ini", "[A]\nk=1\n"));
  ::chmod(ini.FileName.c_str(), 0444);
  EXPECT_TRUE(ini.WriteString("a", "k", "1"));  // nothing to change, so a read-only file is no failure
  EXPECT_TRUE(ini.WriteInteger("A", "k", 1));
  EXPECT_EQ(folder.Read("a.ini"), "[A]\nk=1\n");  // not rewritten: its line ends stay as they were
  EXPECT_FALSE(ini.WriteString("A", "K", "1"));     // another spelling of the key is a change
  EXPECT_FALSE(ini.WriteString("A", "k", "1 "));
}

TEST(IniFile, RewriteKeepsPermissionsAndSymbolicLinks) {
  ScratchFolder folder;
  const std::string real = folder.Write("real.ini", "[A]\r\n");
  ::chmod(real.c_str(), 0600);
  std::filesystem::create_symlink(real, folder.Path() + "link.ini");
  TIniFile ini(folder.Path() + "link.ini");
  EXPECT_TRUE(ini.WriteString("A", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() + "link.ini"));
  EXPECT_EQ(TIniFile(real).ReadString("A", "k", ""), "v");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(IniFileConcurrency, WritersOfDifferentKeysLoseNothing) {
  ScratchFolder folder;
  const std::string name = folder.Path() + "shared.ini";
  constexpr int kThreads = 6;
  constexpr int kKeys = 15;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TIniFile ini(name);  // each thread its own object, as sessions have
      for (int k = 0; k < kKeys; ++k) {
        ini.WriteInteger("S" + std::to_string(t % 2), "K" + std::to_string(t) + "_" + std::to_string(k), t * 100 + k);
        ini.ReadString("S0", "K0_0", "");
      }
    });
  }
  for (auto& thread : threads) thread.join();
  TIniFile ini(name);
  for (int t = 0; t < kThreads; ++t)
    for (int k = 0; k < kKeys; ++k)
      EXPECT_EQ(ini.ReadInteger("S" + std::to_string(t % 2), "K" + std::to_string(t) + "_" + std::to_string(k), -1),
                t * 100 + k);
  EXPECT_EQ(ini.ReadSection("S0").size() + ini.ReadSection("S1").size(), size_t{kThreads * kKeys});
}

}  // namespace
}  // namespace orvane
