// The panes and word tables of one session, rebuilt from its results: the
// extension clusters and page types, the word index with its automatic
// clusters, the word pane and the subject pane. Every function here changes
// the session and runs with its DataLock held exclusively, so a page request
// never reads a half-built pane.
#pragma once

#include <string>

namespace orvane {

class TSessionData;

// Domain and file clusters, their HTML, the profile's default extensions and
// the page types.
void BuildClustersHtml(TSessionData& session);

// Drops the automatic clusterer, its cluster list and the deep cluster: they
// point at results, so they go before any result is freed.
void DropWordClusters(TSessionData& session);

// A new word index over the words split from the results. The tables and
// highlight records that pointed into the old one go with it.
void ReplaceWordStorage(TSessionData& session);

// A new automatic clusterer over the visible results, prepared with the
// ignore list; the old one, its cluster list and the deep cluster go.
void PrepareWordClusters(TSessionData& session);
// The cluster list of the prepared clusterer (keywords and narrowing word
// left out) and, when configured, the related words of each cluster.
void SelectWordClusters(TSessionData& session, const std::string& keywords);
// Both of the above, then the word pane.
void RebuildWordClusters(TSessionData& session, const std::string& keywords);

// The word pane from the cluster list or from the profile's words.
void BuildWordCluster(TSessionData& session);
// The subject pane from the shared profile table.
void BuildSubjectPane(TSessionData& session);

}  // namespace orvane
