// The template engine: fills the <ov:...> tags of a page from the request's
// session by a fixed sequence of find-and-replace passes (later passes see
// what earlier ones inserted), then deletes every tag left. Runs on the
// request's thread with the session's DataLock held shared; changes nothing
// but its own copy of the text.
#pragma once

#include <cstdint>
#include <string>

#include "pages/SessionView.h"

namespace orvane {

struct TPageContext {
  int32_t SessionId = -1;
  const TSessionView* Session = nullptr;  // borrowed; null without a session
  int32_t RankId = 0;
  // The statistics page's presentation figure, made by the page server.
  std::string PresentationDuration;
  // The start page: the message of the failure that sent the browser there.
  std::string Failure;
  TPageSettings Settings;
};

// The filled page, or the empty text after a failure (which is logged).
std::string ReplaceTags(const TPageContext& context, const std::string& pageName, const std::string& pageText);

// Deletes every "<ov:" up to the first ">" after it, across lines.
std::string RemoveUnfilledTags(std::string text);

}  // namespace orvane
