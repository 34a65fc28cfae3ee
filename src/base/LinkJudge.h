// Whether a link from an engine or a saved file may become an href. It is
// judged as the browser will read it: entities and percent-escapes decoded,
// blanks and control bytes dropped, letters lower-cased; only http:, https:,
// ftp: and links without a scheme pass. Anything else is shown as text.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The link as the browser reads it out of an attribute: its entities decoded
// once. Written back with EscapeHTML, the browser reads exactly this text.
std::string BrowserLink(std::string_view stored);
// EscapeHTML(BrowserLink(stored)), appended to `out`: the href of a link.
void AppendBrowserLink(std::string& out, std::string_view stored);

// True for a link that may be written as an href (judged on the stored text).
bool IsSafeLink(std::string_view stored);

}  // namespace orvane
