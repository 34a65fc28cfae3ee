// Stand-ins for the desktop facilities of the original platform: opening a
// URL in the user's browser, message boxes, and the connected-state query.
#pragma once

#include <string>

namespace orvane {

// Runs the program named by $BROWSER with the URL, else xdg-open; does not
// wait for it. False when the program could not be started.
bool OpenInBrowser(const std::string& url);

// A message box without a screen: caption and text go to stderr.
void ShowMessage(const std::string& caption, const std::string& text);
// A yes/no question without a screen: printed to stderr and answered "no",
// since a background server has nobody at its terminal.
bool AskYesNo(const std::string& caption, const std::string& text);

// True when a non-loopback network interface is up and has an address.
bool IsConnected();
// True for a service on this machine ("http://127.*", "http://localhost"),
// which needs no connection.
bool IsLocalServiceURL(const std::string& url);

// A desktop notification through notify-send, when a session bus and the
// program exist; fire and forget. Text is Latin-1 and sent as UTF-8.
void NotifyDesktop(const std::string& title, const std::string& text, int timeoutMs);

}  // namespace orvane
