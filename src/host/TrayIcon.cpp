#include "host/TrayIcon.h"

#include "base/StrUtils.h"
#include "host/GlobalData.h"

namespace orvane {

void TTrayIcon::Show() { Log("TrayIcon", "Orvane Server"); }

void TTrayIcon::Remove() {}

void TTrayIcon::ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) {
  const std::string shownText = ReplaceAll(text.substr(0, kMaxBalloonText), "\r\n", " ");
  Log("TrayIcon", "Balloon \"" + title.substr(0, kMaxBalloonTitle) + "\" (" + std::to_string(timeoutMs) +
                      " ms): " + shownText);
}

void TTrayIcon::HideBalloon() { Log("TrayIcon", "Balloon hidden"); }

}  // namespace orvane
