#include "search/DataPage.h"

#include <algorithm>
#include <pugixml.hpp>

#include "base/StrUtils.h"

namespace orvane {

namespace {

std::string_view LocalName(pugi::xml_node node) {
  const std::string_view name = node.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view localName) {
  for (pugi::xml_node child : parent.children())
    if (child.type() == pugi::node_element && LocalName(child) == localName) return child;
  return {};
}

// All the text below the node (an xhtml title has elements inside).
std::string TextOf(pugi::xml_node node) {
  std::string text;
  for (pugi::xml_node part = node.first_child(); part; part = part.next_sibling()) {
    if (part.type() == pugi::node_pcdata || part.type() == pugi::node_cdata) text += part.value();
    else if (part.type() == pugi::node_element) text += TextOf(part);
  }
  return text;
}

// The parser hands out UTF-8; text is Latin-1 inside.
std::string Latin1(const std::string& utf8) {
  // Most text is ASCII, which is the same in both.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8);
  std::string out;
  return Utf8ToLatin1(utf8, out) ? out : utf8;
}

std::string AtomLink(pugi::xml_node entry) {
  std::string first;
  for (pugi::xml_node link : entry.children()) {
    if (LocalName(link) != "link") continue;
    const std::string_view rel = link.attribute("rel").value();
    if (rel.empty() || rel == "alternate") return link.attribute("href").value();
    if (first.empty()) first = link.attribute("href").value();
  }
  return first.empty() ? TextOf(Child(entry, "id")) : first;
}

void ReadTotal(pugi::xml_node parent, TDataPage& out) {
  int32_t total = 0;
  if (TryStrToInt(Trim(TextOf(Child(parent, "totalResults"))), total) && total >= 0) out.Total = total;
}

}  // namespace

TDataPage ReadFeedPage(std::string_view page) {
  TDataPage out;
  pugi::xml_document document;
  // A page that says it is ISO-8859-1 is converted by the parser; any other
  // is read as UTF-8 and, where that fails, kept as the bytes it has.
  const bool latin1 = page.substr(0, 100).find("ISO-8859-1") != std::string_view::npos ||
                      page.substr(0, 100).find("iso-8859-1") != std::string_view::npos;
  const pugi::xml_parse_result parsed = document.load_buffer(
      page.data(), page.size(), pugi::parse_default, latin1 ? pugi::encoding_latin1 : pugi::encoding_utf8);
  if (!parsed) {
    out.Error = std::string("not a feed: ") + parsed.description();
    return out;
  }
  const pugi::xml_node root = document.document_element();
  if (LocalName(root) == "feed") {
    out.Read = true;
    ReadTotal(root, out);
    for (pugi::xml_node entry : root.children()) {
      if (LocalName(entry) != "entry") continue;
      pugi::xml_node description = Child(entry, "summary");
      if (!description) description = Child(entry, "content");
      out.Items.push_back({Latin1(TextOf(Child(entry, "title"))), Latin1(Trim(AtomLink(entry))),
                           Latin1(TextOf(description))});
    }
  } else if (LocalName(root) == "rss" && Child(root, "channel")) {
    out.Read = true;
    const pugi::xml_node channel = Child(root, "channel");
    ReadTotal(channel, out);
    for (pugi::xml_node item : channel.children()) {
      if (LocalName(item) != "item") continue;
      out.Items.push_back({Latin1(TextOf(Child(item, "title"))), Latin1(Trim(TextOf(Child(item, "link")))),
                           Latin1(TextOf(Child(item, "description")))});
    }
  } else {
    out.Error = "not a feed: the root is <" + std::string(root.name()) + ">";
    return out;
  }
  std::erase_if(out.Items, [](const TDataItem& item) { return item.Link.empty(); });
  return out;
}

}  // namespace orvane
