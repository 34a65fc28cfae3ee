#include "search/DataPage.h"

#include <algorithm>
#include <array>
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

// The first element child of each name, found in one walk over the children
// rather than one walk a name: it is done for every entry of a page. `each`
// sees every element child with its local name.
template <size_t N, typename OnEach>
std::array<pugi::xml_node, N> Children(pugi::xml_node parent, const std::array<std::string_view, N>& localNames,
                                       OnEach each) {
  std::array<pugi::xml_node, N> found;
  for (pugi::xml_node child : parent.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view name = LocalName(child);
    each(child, name);
    for (size_t i = 0; i < N; ++i) {
      if (name != localNames[i]) continue;
      if (!found[i]) found[i] = child;
      break;
    }
  }
  return found;
}

template <size_t N>
std::array<pugi::xml_node, N> Children(pugi::xml_node parent, const std::array<std::string_view, N>& localNames) {
  return Children(parent, localNames, [](pugi::xml_node, std::string_view) {});
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
std::string Latin1(std::string utf8) {
  // Most text is ASCII, which is the same in both: it is kept, not copied.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return utf8;
  std::string out;
  return Utf8ToLatin1(utf8, out) ? out : utf8;
}

// An Atom entry's parts, found in one walk over its children.
struct TAtomEntry {
  pugi::xml_node Title, Summary, Content, Id;
  pugi::xml_node Alternate;  // the first link without rel or with rel "alternate"
  pugi::xml_node Other;      // the first other link with an address
};

TAtomEntry ReadEntry(pugi::xml_node entry) {
  TAtomEntry parts;
  const auto readLink = [&parts](pugi::xml_node child, std::string_view name) {
    if (name != "link") return;
    const std::string_view rel = child.attribute("rel").value();
    if (rel.empty() || rel == "alternate") {
      if (!parts.Alternate) parts.Alternate = child;
    } else if (!parts.Other && *child.attribute("href").value()) {
      parts.Other = child;
    }
  };
  const auto found = Children<4>(entry, {"title", "summary", "content", "id"}, readLink);
  parts.Title = found[0];
  parts.Summary = found[1];
  parts.Content = found[2];
  parts.Id = found[3];
  return parts;
}

// The alternate link, else the first other link, else the entry's id.
std::string AtomLink(const TAtomEntry& parts) {
  if (parts.Alternate) return parts.Alternate.attribute("href").value();
  if (parts.Other) return parts.Other.attribute("href").value();
  return TextOf(parts.Id);
}

std::string Trimmed(std::string text) {
  TrimInPlace(text);
  return text;
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
      const TAtomEntry parts = ReadEntry(entry);
      out.Items.push_back({Latin1(TextOf(parts.Title)), Latin1(Trimmed(AtomLink(parts))),
                           Latin1(TextOf(parts.Summary ? parts.Summary : parts.Content))});
    }
  } else if (LocalName(root) == "rss" && Child(root, "channel")) {
    out.Read = true;
    const pugi::xml_node channel = Child(root, "channel");
    ReadTotal(channel, out);
    for (pugi::xml_node item : channel.children()) {
      if (LocalName(item) != "item") continue;
      const auto [title, link, description] = Children<3>(item, {"title", "link", "description"});
      out.Items.push_back({Latin1(TextOf(title)), Latin1(Trimmed(TextOf(link))), Latin1(TextOf(description))});
    }
  } else {
    out.Error = "not a feed: the root is <" + std::string(root.name()) + ">";
    return out;
  }
  std::erase_if(out.Items, [](const TDataItem& item) { return item.Link.empty(); });
  return out;
}

}  // namespace orvane
