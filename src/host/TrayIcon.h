// TTrayIcon: what stands for the notification-area icon. Balloons become
// lines of the local log under the module "TrayIcon", and desktop
// notifications where a desktop session offers them. Called from request
// threads; calls are serialised.
#pragma once

#include <mutex>
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

 private:
  std::mutex lock_;
};

}  // namespace orvane
