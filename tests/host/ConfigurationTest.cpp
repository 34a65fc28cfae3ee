#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "base/OvException.h"
#include "base/Regex.h"
#include "data/XMLManager.h"
#include "host/GlobalData.h"
#include "platform/IniFile.h"
#include "support/ScratchFolder.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::ScratchFolder;

// A temporary installation tree ("inst/" with its identifier folders), a
// configuration file beside it, and the user data folder pointed into the
// scratch folder so that no test touches the real home.
class Configuration : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"ie", "firefox", "Data"}) std::filesystem::create_directories(Install() + sub);
  }

  std::string Install() const { return folder_.Path() + "inst/"; }
  std::string ConfigName() const { return folder_.Path() + "orvane.ini"; }

  // The configuration file with InstallationDir first, then the given lines.
  void Config(const std::string& lines) {
    folder_.Write("orvane.ini", "[Software\\Orvane]\nInstallationDir=" + Install() + "\n" + lines);
  }

  std::unique_ptr<TGlobal> Start() { return std::make_unique<TGlobal>(ConfigName()); }

  ScratchFolder folder_;
  testing::ScopedEnv xdg_{"XDG_DATA_HOME", folder_.Path() + "share"};
};

bool LooksLikeGuid(const std::string& text) {
  static const TRegex guid("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$", 0);
  return guid.Matches(text);
}

TEST_F(Configuration, DefaultsWithoutAnyValue) {
  Config("");
  folder_.Write("inst/OrvaneServer.log", "line of the last run\n");
  const auto global = Start();  // the flags' defaults are in the next test's rows
  EXPECT_EQ(global->OrvaneURL, "");
  EXPECT_EQ(global->GoogleHost, "www.google.com");
  EXPECT_EQ(global->MSNHost, "search.msn.com");
  EXPECT_EQ(global->YahooHost, "search.yahoo.com");
  EXPECT_EQ(global->HtmlDir, Install() + "Resources/html/");
  EXPECT_EQ(global->DataDir, Install() + "Data/");
  EXPECT_EQ(global->UserDir, folder_.Path() + "share/Orvane/");
  EXPECT_TRUE(std::filesystem::is_directory(global->UserDir));
  // Every start begins a new log file.
  EXPECT_EQ(folder_.Read("inst/OrvaneServer.log").find("last run"), std::string::npos);
  EXPECT_EQ(global->GetAddress(), "127.0.0.1:8425");
  EXPECT_FALSE(global->XMLManager->Loaded());
}

TEST_F(Configuration, ValuesOfTheWrongTypeOrEmptyCountAsAbsent) {
  const struct { const char* lines; int32_t port; double timeOut; bool alwaysSearch, metaBoost, deep; } rows[] = {
      {"TimeOut=48\n", 8425, 1.0 / 48, false, true, false},
      {"TimeOut=0\n", 8425, 0, false, true, false},
      {"TimeOut=12x\nPort=8o\n", 8425, 1.0 / 24, false, true, false},
      {"TimeOut=\nPort=\nMetaBoost=\n", 8425, 1.0 / 24, false, true, false},
      {"TimeOut= 1 \nPort=8080\n", 8080, 1.0, false, true, false},
      {"MetaBoost=yes\nAlwaysSearch=true\nDeepWordCluster=TRUE\n", 8425, 1.0 / 24, false, false, false},
      {"MetaBoost=0\nAlwaysSearch=1\nDeepWordCluster=1\n", 8425, 1.0 / 24, true, false, true},
      {"metaboost=1\nALWAYSSEARCH=1\n", 8425, 1.0 / 24, true, true, false},
  };
  for (const auto& row : rows) {
    Config(row.lines);
    const auto global = Start();
    EXPECT_EQ(global->Port, row.port) << row.lines;
    EXPECT_DOUBLE_EQ(global->TimeOut, row.timeOut) << row.lines;
    EXPECT_EQ(global->AlwaysSearch, row.alwaysSearch) << row.lines;
    EXPECT_EQ(global->MetaBoost, row.metaBoost) << row.lines;
    EXPECT_EQ(global->DeepWordCluster, row.deep) << row.lines;
  }
}

TEST_F(Configuration, NewIdentifierIsStoredAndGivenToBothAffidFiles) {
  Config("Port=1\n");
  folder_.Write("inst/ie/affid.dat", "old identifier\r\nsecond line\r\n");
  std::string uid;
  {
    const auto global = Start();
    uid = global->UID;
    EXPECT_TRUE(LooksLikeGuid(uid)) << uid;
  }
  EXPECT_EQ(TIniFile(ConfigName()).ReadString("Software\\Orvane", "UID", ""), uid);
  EXPECT_EQ(TIniFile(ConfigName()).ReadString("Software\\Orvane", "Port", ""), "1");
  for (const char* file : {"inst/ie/affid.dat", "inst/firefox/affid.dat"}) {
    const std::string text = folder_.Read(file);
    EXPECT_EQ(text.substr(0, text.find_first_of("\r\n")), uid) << file;
    EXPECT_EQ(text.find("second line"), std::string::npos) << file;
  }
  // The next start keeps it.
  EXPECT_EQ(Start()->UID, uid);
}

TEST_F(Configuration, UnwritableConfigGivesANewIdentifierAtEveryStart) {
  Config("");
  ::chmod(ConfigName().c_str(), 0444);
  const std::string before = folder_.Read("orvane.ini");
  const std::string first = Start()->UID;
  const std::string second = Start()->UID;
  EXPECT_TRUE(LooksLikeGuid(first));
  EXPECT_TRUE(LooksLikeGuid(second));
  EXPECT_NE(first, second);
  EXPECT_EQ(folder_.Read("orvane.ini"), before);
  EXPECT_EQ(folder_.Read("inst/firefox/affid.dat").substr(0, 38), second);
}

TEST_F(Configuration, MissingConfigFileStillStarts) {
  // No file at all: every value is its default, and InstallationDir is the
  // program's folder, which is not ours to check here.
  const auto global = Start();
  EXPECT_EQ(global->Port, 8425);
  EXPECT_TRUE(LooksLikeGuid(global->UID));
}

TEST_F(Configuration, ReferIsTheFirstLineOfReferTxt) {
  const struct { const char* content; const char* refer; } rows[] = {
      {"partner42\r\nsecond\r\n", "partner42"}, {"only", "only"}, {"", ""}, {"\nsecond", ""},
  };
  for (const auto& row : rows) {
    Config("");
    folder_.Write("inst/Data/refer.txt", row.content);
    EXPECT_EQ(Start()->Refer, row.refer) << row.content;
  }
}

TEST_F(Configuration, InstallationDirWithoutSlashGluesNames) {
  folder_.Write("orvane.ini", "[Software\\Orvane]\nInstallationDir=" + folder_.Path() + "stage\n");
  folder_.Write("stageData/refer.txt", "glued\n");
  std::filesystem::create_directories(folder_.Path() + "stageie");
  const auto global = Start();
  EXPECT_EQ(global->DataDir, folder_.Path() + "stageData/");
  EXPECT_EQ(global->HtmlDir, folder_.Path() + "stageResources/html/");
  EXPECT_EQ(global->Refer, "glued");
  EXPECT_EQ(folder_.Read("stageie/affid.dat").substr(0, 38), global->UID);
}


TEST_F(Configuration, DataStoreIsReadFromDataDir) {
  Config("");
  folder_.Write("inst/Data/data.xml",
                "<OrvaneData Version=\"1.1\"><Colors><RelatedWordHighLightColor>#ff0</RelatedWordHighLightColor>"
                "<NarrowHighLightColor>#0f0</NarrowHighLightColor></Colors></OrvaneData>");
  const auto global = Start();
  EXPECT_TRUE(global->XMLManager->Loaded());
  EXPECT_EQ(global->RelatedWordHighLightColor, "#ff0");
  EXPECT_EQ(global->NarrowHighLightColor, "#0f0");

  folder_.Write("inst/Data/data.xml", "<OrvaneData Version=\"1.0\"/>");
  EXPECT_THROW(Start(), TOvException);
}

}  // namespace
}  // namespace orvane
