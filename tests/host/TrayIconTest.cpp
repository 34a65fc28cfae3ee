#include <gtest/gtest.h>

#include <string>

#include "host/TrayIcon.h"
#include "search/SearchPipelineSupport.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

TEST(TrayIcon, ABalloonIsOneLogLineWithItsTitleAndTextCut) {
  testing::TestGlobal global;
  TTrayIcon tray;
  tray.Show();
  tray.ShowBalloon("first\r\nsecond", "Orvane Server", 10000);
  tray.ShowBalloon(std::string(300, 'x'), std::string(70, 't'), 5);
  tray.HideBalloon();
  tray.Remove();
  ASSERT_TRUE(global.LogHas("[TrayIcon] Balloon \"Orvane Server\" (10000 ms): first second\r\n"));
  ASSERT_TRUE(global.LogHas("[TrayIcon] Balloon \"" + std::string(63, 't') + "\" (5 ms): " + std::string(255, 'x') +
                            "\r\n"));
  const std::string log = global.LogText();
  size_t lines = 0;
  for (size_t at = log.find("[TrayIcon]"); at != std::string::npos; at = log.find("[TrayIcon]", at + 1)) ++lines;
  EXPECT_EQ(lines, 2u);  // showing, hiding and removing say nothing
}

TEST(TrayIcon, EverySearchShowsWhatItSearchesFor) {
  test::TSearchPipeline pipeline;
  TTrayIcon tray;
  Global->Data->TrayIcon = &tray;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:100&se=1&site=example.com");
  pipeline.Get("/mainframe.htm?id=42");  // an expired session: our own error
  EXPECT_TRUE(pipeline.WaitForLog("[TrayIcon] Balloon \"Orvane Server\" (10000 ms): Searching for: glacier walks "
                                  "simtotal:100 Site: example.com Using Google\r\n"));
  EXPECT_TRUE(pipeline.WaitForLog("[TrayIcon] Balloon \"Orvane Server\" (10000 ms): Source timeout\r\n"));
  Global->Data->TrayIcon = nullptr;
}

}  // namespace
}  // namespace orvane
