#include <gtest/gtest.h>

#include "platform/Folders.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::ScopedEnv;

TEST(Folders, TheStateFolderFollowsXdgThenHome) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv state("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(StateFolder(), "/var/state/orvane/");
  }
  {
    ScopedEnv state("XDG_STATE_HOME", "/var/state/");
    EXPECT_EQ(StateFolder(), "/var/state/orvane/");
  }
  ScopedEnv state("XDG_STATE_HOME", "");
  EXPECT_EQ(StateFolder(), "/home/someone/.local/state/orvane/");
  ScopedEnv data("XDG_DATA_HOME", "");
  EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share");
}

TEST(Folders, OnlyAnExistingFolderIsWritable) {
  testing::ScratchFolder scratch;
  EXPECT_TRUE(IsWritableFolder(scratch.Path()));
  EXPECT_FALSE(IsWritableFolder(scratch.Path() + "missing/"));
  EXPECT_FALSE(IsWritableFolder(scratch.Write("file", "x")));
}

TEST(Folders, AProgramInABuildFolderFindsItsFilesBesideItself) {
  // Without share/orvane/ beside its folder, a program looks beside itself.
  EXPECT_EQ(DefaultInstallationFolder(), ProgramFolder());
  EXPECT_EQ(ProgramFolder().back(), '/');
}

}  // namespace
}  // namespace orvane
