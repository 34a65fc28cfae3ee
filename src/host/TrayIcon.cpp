#include "host/TrayIcon.h"

#include "base/StrUtils.h"
#include "host/GlobalData.h"
#include "platform/Desktop.h"

namespace orvane {

// There is no notification area to put an icon into; the balloons are what
// a user needs to see.
void TTrayIcon::Show() {}

void TTrayIcon::Remove() {}

void TTrayIcon::ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) {
  const std::string shownTitle = title.substr(0, kMaxBalloonTitle);
  const std::string shownText = text.substr(0, kMaxBalloonText);
  std::lock_guard guard(lock_);
  // One log line: the text's line breaks become blanks.
  Log("TrayIcon", "Balloon \"" + shownTitle + "\" (" + std::to_string(timeoutMs) +
                      " ms): " + ReplaceAll(ReplaceAll(shownText, "\r\n", " "), "\n", " "));
  NotifyDesktop(shownTitle, shownText, timeoutMs);
}

// A desktop notification ends by itself, and the log has nothing to add.
void TTrayIcon::HideBalloon() {}

}  // namespace orvane
