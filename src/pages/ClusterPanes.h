// The HTML of the options frame's panes, made from the entries the clusters
// hold: the domain and file extension panes, the page types, the word pane
// and the subject pane. Each pane is a table in columns of five; the
// "<ov:...>" tags it carries are filled by the options frame afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

class TExtCluster;
class TPageTypes;
class TPredefinedCluster;
class TWordCluster;

// Check box and slicing link per entry (groups first, at most ten).
std::string ExtensionPaneHtml(const TExtCluster& cluster, int32_t sessionId);
// At most fifteen page types.
std::string PageTypesPaneHtml(const TPageTypes& types, int32_t sessionId);
// At most ten words; "No Words" when there is none.
std::string WordPaneHtml(const TWordCluster& pane, int32_t sessionId);
// A link per visible profile; the user's own one ("Custom") is no link.
std::string SubjectPaneHtml(const TPredefinedCluster& pane);

}  // namespace orvane
