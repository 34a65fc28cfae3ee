// TEngineShape: how to ask one engine and how to read its answer, beside its
// result patterns: the URL templates, the paging, the request headers, the key
// and the link rules. The three page-parsing engines have built-in shapes;
// the data file may give any element of a shape, and a new engine gives all
// it needs. Plain values, read only after start-up.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace orvane {

struct TRedirectRule {
  std::string Prefix;  // the link starts with it; the target follows
  std::string End;     // the target ends before it (or at the end of the link)
};

struct TEngineShape {
  std::string Label;
  bool Enabled = true;
  bool MetaBoost = true;  // joins the meta boost of a search with another engine
  std::string Format = "html";
  std::string DefaultHost;
  // With placeholders: {scheme} {host} {keywords} {site} {first0} {first1}
  // {page0} {page1} {count} {key}, each optionally "|form", "|percent" or
  // "|raw". SiteURL (when set) is used instead of URL for a site search.
  std::string URL, SiteURL;
  int32_t PerPage = 100;
  int32_t MaxPages = 10;
  int32_t ProbePage = 9;           // asked first, the last page (MaxPages - 1): its count tells how many more
  bool CountIsPageNumber = false;  // the count pattern gives the page number, not the last result
  bool NestedAfterBlockquote = false;
  std::vector<std::pair<std::string, std::string>> Headers;  // name, value; empty: the client's own
  std::string KeyHeader;  // the key goes in this header (besides any {key} in the URL)
  bool KeyRequired = false;
  std::vector<std::string> RejectPrefixes;
  std::vector<TRedirectRule> Redirects;
  std::string LinkBase;  // put before links that start with "/"
  // JSON Pointers (json) into the page and into one item of the list.
  std::string TotalPointer, ListPointer, TitlePointer, LinkPointer, DescriptionPointer;
  std::string LinkTemplate;  // {id} is the item's link value, for sources that give an id
  // For query languages that want a field on every word and an operator
  // between words (arXiv: "all:a AND all:b"); empty for the others.
  std::string WordPrefix, WordJoin;
};

// The shape of "Google", "MSN" or "Yahoo" as the code had it; for any other
// name a shape with no URL.
TEngineShape BuiltInShape(const std::string& name);

// Overrides the shape with every element the section gives. Raises
// TOvException naming the first fault of an element it cannot use.
void ReadShape(pugi::xml_node section, TEngineShape& shape);

// Empty when the shape can be used, else the fault.
std::string ShapeFault(const TEngineShape& shape);

struct TURLValues {
  std::string Scheme, Host, Keywords, Site, Key;
  int32_t Page = 0;
  int32_t PerPage = 100;
};

// The template with each placeholder replaced by its value in its encoding.
// Raises TOvException for an unknown placeholder or encoding.
std::string ExpandURLTemplate(const std::string& pattern, const TURLValues& values);
// The keywords in the shape's query language: each word (or quoted phrase)
// gets WordPrefix, two words in a row get WordJoin between them; the subject
// query's separator and parentheses stay as they are. Unchanged when the
// shape sets neither.
std::string FieldedKeywords(const std::string& keywords, const TEngineShape& shape, const std::string& separator);

// Cleans the link in place with the shape's link rules; false when the
// result must be dropped (a rejected link, a redirect without target,
// nothing left).
bool ApplyLinkRules(const TEngineShape& shape, std::string& link);

}  // namespace orvane
