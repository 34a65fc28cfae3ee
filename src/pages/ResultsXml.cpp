#include "pages/ResultsXml.h"


#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include <pugixml.hpp>

#include "base/Engines.h"
#include "base/OvException.h"
#include "base/Escape.h"
#include "base/StrUtils.h"
#include "platform/Files.h"
#include "search/Results.h"
#include "words/NodeText.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersion = "1.1";
constexpr const char* kUnit = "ResultsXml";
constexpr const char* kLoad = "LoadSearchResultFromXml";

class TStringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

// The document as bytes. pugixml writes our text as it stands when it is
// told the output is UTF-8; the declaration says what the bytes really are.
std::string Serialise(const pugi::xml_document& document) {
  TStringWriter writer;
  document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
  // XML 1.0 cannot carry the control bytes but tab, CR and LF, not even as
  // character references, which is how pugixml writes them: they become
  // blanks. A "&#" written from our text would have been "&amp;#".
  const std::string& in = writer.text;
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in.compare(i, 2, "&#") == 0) {
      const size_t end = in.find(';', i);
      int32_t code = 0;
      if (end != std::string::npos && TryStrToInt(in.substr(i + 2, end - i - 2), code) && code < 0x20 &&
          code != '\t' && code != '\r' && code != '\n') {
        out += ' ';
        i = end;
        continue;
      }
    }
    out += in[i];
  }
  return out;
}

void ReplaceFile(const std::string& path, const std::string& bytes) {
  if (!WriteFileAtomically(path, bytes)) throw std::runtime_error("Cannot write file \"" + path + "\"");
}

bool DeclaresLatin1(std::string_view bytes) {
  const std::string head = LowerCase(bytes.substr(0, std::min<size_t>(bytes.size(), 200)));
  const size_t end = head.find("?>");
  if (!head.starts_with("<?xml") || end == std::string::npos) return false;
  const std::string declaration = head.substr(0, end);
  return declaration.find("iso-8859-1") != std::string::npos || declaration.find("latin1") != std::string::npos;
}

// A file edited by hand is often UTF-8: its characters become the bytes we
// keep (a '?' for those beyond Latin-1). Anything that is not valid UTF-8
// is taken as Latin-1 already.
std::string ToLatin1(const std::string& bytes) {
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::string out;
  return Utf8ToLatin1(text, out) ? out : std::string(text);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open saved results file \"" + path + "\"");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file may name only an engine that the data file defines: any other index
// would reach the stored preferences and every later search. The engine is
// found by the name the last task keeps (the data file may have moved it),
// else by its index, and the results of a moved engine follow it; one the
// data file no longer defines gives way to the first engine, and the
// statistics page names it.
void MapSavedEngine(pugi::xml_node preferences, TResults& results) {
  pugi::xml_node id = preferences.child("SE_ID");
  if (!id) return;
  const int32_t index = ChildInteger(preferences, "SE_ID");
  // -1: no engine chosen yet, as in a new preferences file.
  if (index == -1) return;
  const TTask* last = results.LastTask();
  int32_t now = last && !last->SE_Name.empty() ? EngineIndex(last->SE_Name) : index;
  if (now < 0 || EngineName(now).empty()) {
    now = kGoogle;
  } else if (now != index) {
    for (const auto& result : results.List)
      if (result->Source.Engine == index) result->Source.Engine = now;
  }
  if (now != index) id.text().set(IntToStr(now).c_str());
}

// What a file holds, read completely before anything of the session changes.
struct TLoaded {
  pugi::xml_document Document;
  TResults Results;
  pugi::xml_node Preferences;
  pugi::xml_node Profile;
};

void ReadFile(const std::string& path, TPredefined& predefined, TLoaded& loaded) {
  std::string bytes = ReadWholeFile(path);
  if (!DeclaresLatin1(bytes)) bytes = ToLatin1(bytes);
  // Line ends and blanks in attributes stay as they were written.
  const unsigned options = (pugi::parse_default & ~pugi::parse_eol & ~pugi::parse_wconv_attribute) |
                           pugi::parse_ws_pcdata_single;
  const pugi::xml_parse_result parsed =
      loaded.Document.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_utf8);
  if (!parsed)
    throw std::runtime_error("The saved results file \"" + path + "\" is not readable XML (" + parsed.description() +
                             " at byte " + std::to_string(parsed.offset) + ")");
  const pugi::xml_node root = loaded.Document.document_element();
  if (std::string_view(root.name()) != "SearchResults")
    throw TOvException("The file \"" + path + "\" holds no saved results", kUnit, kLoad);
  const std::string version = root.attribute("Version").value();
  if (version.empty() || version < kVersion) throw TOvException("Invalid saved results\r\nfile version", kUnit, kLoad);

  loaded.Results.Narrow = root.attribute("NarrowKeyword").value();
  loaded.Preferences = root.child("Preferences");
  loaded.Profile = root.child("Profile");
  auto findProfile = [&predefined](const std::string& name) -> const TProfile* {
    const auto guard = predefined.ReadLock();
    return predefined.FindProfile(name);
  };
  for (pugi::xml_node node = root.child("Statistics").child("Task"); node; node = node.next_sibling("Task")) {
    auto task = std::make_unique<TTask>();
    task->Index = static_cast<int32_t>(loaded.Results.Tasks.size());
    task->ReadXml(node, findProfile);
    loaded.Results.Tasks.push_back(std::move(task));
  }
  const std::vector<std::unique_ptr<TTask>>& tasks = loaded.Results.Tasks;
  const TSharedText keywords = tasks.empty() ? TSharedText() : TSharedText(tasks.front()->Keywords);
  for (pugi::xml_node node = root.child("Results").child("Result"); node; node = node.next_sibling("Result")) {
    auto result = std::make_unique<TResult>();
    result->ReadXml(node, tasks, keywords);
    loaded.Results.AddResult(std::move(result));
  }
  if (loaded.Preferences) MapSavedEngine(loaded.Preferences, loaded.Results);
}

}  // namespace

void TResultsXml::SaveSearchResultToXml(const std::string& folder, const std::string& fileName,
                                        const TResults& results, const TPreferences& preferences,
                                        const TProfile& profile) const {
  const std::string path = folder + fileName;
  if (results.List.empty()) {
    std::error_code ec;
    fs::remove(path, ec);
    return;
  }
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("ISO-8859-1");
  pugi::xml_node root = document.append_child("SearchResults");
  root.append_attribute("Version").set_value(kVersion);
  root.append_attribute("NarrowKeyword").set_value(results.Narrow.c_str());
  pugi::xml_node list = root.append_child("Results");
  for (const auto& result : results.List) result->WriteXml(list.append_child("Result"));
  profile.WriteProfileXml(root.append_child("Profile"));
  preferences.WritePreferencesXml(root.append_child("Preferences"));
  pugi::xml_node statistics = root.append_child("Statistics");
  for (const auto& task : results.Tasks) task->WriteXml(statistics.append_child("Task"));
  ReplaceFile(path, Serialise(document));
}

bool TResultsXml::LoadSearchResultFromXml(const std::string& folder, const std::string& fileName, TResults& results,
                                          TPreferences& preferences, TPredefined& predefined,
                                          const std::function<void()>& beforeSwap) const {
  try {
    TLoaded loaded;
    ReadFile(folder + fileName, predefined, loaded);
    if (beforeSwap) beforeSwap();
    results.List.swap(loaded.Results.List);
    results.Tasks.swap(loaded.Results.Tasks);
    results.Narrow = loaded.Results.Narrow;
    results.ProfileMatchCount = results.SearchProfileDicWordsResults = 0;
    results.DicWordsUrlCount = results.SearchTermHostResults = 0;
    results.ResetCounts();
    if (loaded.Preferences) preferences.ReadPreferencesXml(loaded.Preferences);
    if (loaded.Profile) predefined.ReadProfileXml(preferences.ProfileName, loaded.Profile);
    return true;
  } catch (const TOvException&) {
    throw;
  } catch (const std::exception& e) {
    throw TOvException(e.what(), kUnit, kLoad);
  } catch (...) {
    throw TOvException("unknown exception", kUnit, kLoad);
  }
}

bool IsValidResultsName(const std::string& name) {
  return !name.empty() && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos && name[0] != '.';
}

std::string SavedResultsOptions(const std::string& folder, const std::string& savedResultsName) {
  std::string options;
  std::error_code ec;
  if (folder.empty()) return options;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= 4 || !name.ends_with(".xml")) continue;
    // The name as saved, dots and all: it is what loading and deleting ask for.
    const std::string saved = name.substr(0, name.size() - 4);
    if (!IsValidResultsName(saved)) continue;
    const std::string base = EscapeHTML(saved);
    options += "<option value =\"" + base + "\"" + (name == savedResultsName ? "selected=\"selected\"" : "") + ">" +
               base + "</option>";
  }
  return options;
}

}  // namespace orvane
