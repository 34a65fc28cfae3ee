// What a search lost to pages that failed: the short notice above the results
// list and the rows of the statistics page's engine panel. Both read only the
// task's facts (the caller holds the session's DataLock shared) and escape
// every text they put in the page.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct TFailedPages;

// One element, "MSN: 2 of 10 pages failed (time-out after 8 s)" per engine;
// empty when no page failed.
std::string FailedPagesNotice(const std::vector<TFailedPages>& failed);

// A table of every failed page with its engine, page number and reason;
// empty when no page failed.
std::string FailedPagesPanel(const std::vector<TFailedPages>& failed);

}  // namespace orvane
