#include "clusters/WordCluster.h"

#include <algorithm>

#include "base/StrUtils.h"

namespace orvane {

TPredefinedWord TWordCluster::NewClusterWord(const std::string& text, int32_t count, const std::string& title) {
  TPredefinedWord word;
  word.Text = text;
  word.SearchText = text;
  word.Count = count;
  word.FirstFlag = true;
  word.SecondFlag = false;
  word.Title = title;
  return word;
}

std::string TWordCluster::TitleOf(const TWordRecord& record) {
  std::string forms;
  for (const std::string_view form : record.Forms) (forms += forms.empty() ? "" : ", ") += form;
  return std::string("Show results with ") + (record.Forms.size() == 1 ? "word '" : "words '") + forms + "'";
}

void TWordCluster::BuildFromAutoClusters(const TAutoClusterList& clusters) {
  for (const auto& cluster : clusters) {
    const TWordRecord& record = *cluster->Record;
    Items.push_back(
        NewClusterWord(std::string(record.Forms.front()), record.Count, TitleOf(record) + cluster->RelatedText));
  }
  OrderByCount();
}

void TWordCluster::BuildFromProfileWords(const std::vector<TPredefinedWord>& words,
                                         const TAutoWordClusters& clusterer) {
  for (const TPredefinedWord& word : words) {
    const TWordRecord* record = clusterer.FindWord(LowerCase(word.Text));
    if (record && !record->Forms.empty())
      Items.push_back(NewClusterWord(std::string(record->Forms.front()), record->Count, TitleOf(*record)));
  }
  OrderByCount();
}

void TWordCluster::OrderByCount() {
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TPredefinedWord& a, const TPredefinedWord& b) { return a.Count > b.Count; });
}

}  // namespace orvane
