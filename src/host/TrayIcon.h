// TTrayIcon: the notification-area icon. A headless Linux box has none, so
// balloons become lines of the local log under the module "TrayIcon".
// Called from request threads; each call writes one complete line.
#pragma once

#include <string>

namespace orvane {

class TTrayIcon {
 public:
  static constexpr size_t kMaxBalloonText = 255;
  static constexpr size_t kMaxBalloonTitle = 63;

  void Show();
  void Remove();
  void ShowBalloon(const std::string& text, const std::string& title, int timeoutMs);
  void HideBalloon();
};

}  // namespace orvane
