#include "clusters/ExtClusters.h"

#include <algorithm>
#include <numeric>

#include "base/Escape.h"
#include "base/StrUtils.h"
#include "search/Results.h"
#include "words/ExtGroups.h"

namespace orvane {

namespace {

constexpr int kMaxEntries = 10;
constexpr int kColumnLength = 5;

// The texts in which the two panes differ.
struct TPaneTexts {
  const char* Cell;
  const char* GroupCaption;
  const char* ExtensionCaption;
  const char* GroupParameter;
  const char* ExtensionParameter;
  const char* CheckboxId;
  const char* Tag;
  const char* BoxName;
  const char* InputTitle;   // "title=" spacing of the check box
  const char* BeforeLink;   // between the check box and the link
  const char* DisplayOpen;  // around the shown text
  const char* DisplayClose;
};

constexpr TPaneTexts kDomainTexts{"<td style=\"white-space: nowrap;\">",
                                  "Show results that belong to domain group '",
                                  "Show results that belong to domain '",
                                  "ShowOnlyDomainExtensionGroup",
                                  "ShowOnlyDomainExtension",
                                  "DomainCluster_Checkbox",
                                  "<ov:Domain_",
                                  "suffix",
                                  "<input title=\"",
                                  "\"/>&nbsp; <a title= \"",
                                  "> ",
                                  " </a> &nbsp;("};
constexpr TPaneTexts kFileTexts{"<td style=\"height:3px; white-space: nowrap;\">",
                                "Show results that belong to file extension group '",
                                "Show results that belong to file extension '",
                                "ShowOnlyFileExtensionGroup",
                                "ShowOnlyFileExtension",
                                "FileCluster_Checkbox",
                                "<ov:File_",
                                "fileType",
                                "<input title= \"",
                                "\"/>&nbsp;<a title= \"",
                                ">",
                                "</a>&nbsp;("};

const TPaneTexts& TextsOf(TExtCluster::TKind kind) { return kind == TExtCluster::kDomain ? kDomainTexts : kFileTexts; }

}  // namespace

TExtCluster::TExtCluster(TKind kind, const TExtTypeGroups* groups)
    : TWordClusters(groups), kind_(kind), groupCounts_(groups ? groups->Groups.size() : 0, 0) {}

void TExtCluster::Clear() { Items.clear(); }

void TExtCluster::Reset() {
  Clear();
  std::fill(groupCounts_.begin(), groupCounts_.end(), 0);
  groupOrder_.clear();
  Html.clear();
}

int32_t TExtCluster::GroupOf(const std::string& extension) const {
  return Groups ? Groups->GroupIndexOf(extension) : -1;
}

const std::string& TExtCluster::ExtensionOf(const TResult& result) const {
  return kind_ == kDomain ? result.DomainExt : result.FileExt;
}

int32_t TExtCluster::ClusterIndexOf(const TResult& result) const {
  return kind_ == kDomain ? result.DomainClusterIndex : result.FileClusterIndex;
}

int32_t TExtCluster::GroupIndexOf(const TResult& result) const {
  return kind_ == kDomain ? result.DomainGroupIndex : result.FileGroupIndex;
}

void TExtCluster::SetIndexes(TResult& result, int32_t cluster, int32_t group) const {
  (kind_ == kDomain ? result.DomainClusterIndex : result.FileClusterIndex) = cluster;
  (kind_ == kDomain ? result.DomainGroupIndex : result.FileGroupIndex) = group;
}

void TExtCluster::Build(TResults& results) {
  if (results.Count() == 0) return;
  Clear();
  std::fill(groupCounts_.begin(), groupCounts_.end(), 0);
  if (kind_ == kDomain)
    results.SortByDomainExt();
  else
    results.SortByFileExt();

  std::string current = ExtensionOf(*results.Result(0));
  int32_t group = GroupOf(current);
  int32_t run = 0;
  auto closeRun = [&] {
    TPredefinedWord entry;
    entry.Index = static_cast<int32_t>(Items.size());
    entry.Text = current;
    entry.Count = run;
    Items.push_back(std::move(entry));
    if (group >= 0 && group < static_cast<int32_t>(groupCounts_.size())) groupCounts_[group] += run;
  };
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (result.GetTotalRank(results.Profile) == 0) {
      SetIndexes(result, -1, -1);
      continue;
    }
    if (ExtensionOf(result) != current) {
      // Results that were all left out give their extension no entry.
      if (run > 0) closeRun();
      current = ExtensionOf(result);
      group = GroupOf(current);
      run = 0;
    }
    ++run;
    SetIndexes(result, static_cast<int32_t>(Items.size()), group);
  }
  if (run > 0) closeRun();
}

void TExtCluster::AppendEntry(int32_t n, const std::string& caption, const std::string& value,
                              const std::string& display, const std::string& parameter, int32_t count,
                              int32_t sessionId, bool isGroup) {
  const TPaneTexts& texts = TextsOf(kind_);
  // Extensions come from the engines' links: whatever they hold must stay
  // text, in the markup and in the link.
  const std::string shown = EscapeHTML(value);
  const int32_t idNumber = kind_ == kFile && !isGroup ? n + kMaxEntries : n;
  const std::string id = texts.CheckboxId + std::to_string(idNumber);
  Html += std::string("&nbsp;&nbsp;&nbsp;") + texts.InputTitle + caption + shown +
          "'\" type=\"checkbox\" name=\"" + texts.BoxName + "\" value=\"" + shown + "\" " + texts.Tag + shown +
          ":Checked:1/> id=\"" + id + texts.BeforeLink + caption + shown + "'\" onclick=\"ExtensionSelected('" + id +
          "', '" + texts.BoxName + "')\" class=\"PrefLink\" href=\"SliceResults.htm?" + parameter + "=" +
          URLEncode(value) + "&CurrentPage=Advanced&id=" + std::to_string(sessionId) + "\" target=\"bottomFrame\"" +
          texts.DisplayOpen + EscapeHTML(display) + texts.DisplayClose + std::to_string(count) + ")<br/>";
}

void TExtCluster::Render(int32_t sessionId) {
  const TPaneTexts& texts = TextsOf(kind_);
  Html.clear();
  groupOrder_.resize(groupCounts_.size());
  std::iota(groupOrder_.begin(), groupOrder_.end(), 0);
  std::stable_sort(groupOrder_.begin(), groupOrder_.end(),
                   [this](int32_t a, int32_t b) { return groupCounts_[a] > groupCounts_[b]; });
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TWordData& a, const TWordData& b) { return a.Count > b.Count; });

  Html += "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\"><tr valign=\"top\">";
  Html += texts.Cell;
  int32_t n = 0;
  auto emitted = [&] {
    ++n;
    if (n % kColumnLength == 0) Html += std::string("</td><td width=\"10\"></td>") + texts.Cell;
  };
  for (int32_t group : groupOrder_) {
    if (n >= kMaxEntries) break;
    if (groupCounts_[group] == 0) continue;
    const std::string name = GroupName(group);
    AppendEntry(n, texts.GroupCaption, name, name, texts.GroupParameter, groupCounts_[group], sessionId, true);
    emitted();
  }
  for (const TPredefinedWord& entry : Items) {
    if (n >= kMaxEntries) break;
    if (entry.Count == 0 || GroupOf(entry.Text) != -1) continue;
    const std::string display = kind_ == kFile && entry.Text == "other" ? ".html; .asp; etc." : "." + entry.Text;
    AppendEntry(n, texts.ExtensionCaption, entry.Text, display, texts.ExtensionParameter, entry.Count, sessionId,
                false);
    emitted();
  }
  Html += "</td></tr></table>";
}

std::string TExtCluster::NameOfIndex(int32_t index) const {
  for (const TPredefinedWord& entry : Items)
    if (entry.Index == index) return entry.Text;
  return "";
}

std::string TExtCluster::GroupName(int32_t index) const { return Groups ? Groups->GroupName(index) : ""; }

int32_t TExtCluster::GroupCount(int32_t index) const {
  return index >= 0 && index < static_cast<int32_t>(groupCounts_.size()) ? groupCounts_[index] : 0;
}

void TExtCluster::CollectNames(std::vector<std::string>& list) const {
  // In the order of the last render; before any, in the groups' own order.
  std::vector<int32_t> order = groupOrder_;
  if (order.size() != groupCounts_.size()) {
    order.resize(groupCounts_.size());
    std::iota(order.begin(), order.end(), 0);
  }
  for (int32_t group : order)
    if (groupCounts_[group] != 0) list.push_back(GroupName(group));
  for (const TPredefinedWord& entry : Items)
    if (entry.Count != 0 && GroupOf(entry.Text) == -1) list.push_back(entry.Text);
}

}  // namespace orvane
