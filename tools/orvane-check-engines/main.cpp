// orvane-check-engines: runs the engine patterns of the data file over result
// pages kept with the "SavePath" setting and tells, per page, what the count,
// block and element patterns found, so a changed engine layout shows which
// pattern to edit.
//   orvane-check-engines [--data FILE] PAGE_FILES...
// FILE is the server's data.xml (or data.ovm); by default the data file of
// this installation (the build folder's, or share/orvane's). Exit status 1 when a page gives no results or cannot be read,
// 2 for a wrong call or an unusable data file.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "data/XMLManager.h"
#include "platform/Folders.h"
#include "search/EngineCheck.h"
#include "search/SearchEngines.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
  std::fprintf(stderr, "usage: orvane-check-engines [--data FILE] PAGE_FILES...\n"
                       "  PAGE_FILES are named <Engine>_file_<page>.htm, as SavePath keeps them\n");
  return 2;
}

// The data store opens a folder's data.xml or data.ovm, nothing else.
bool DataFolder(const std::string& file, std::string& folder) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return false;
  const fs::path path(file);
  if (path.filename() != "data.xml" && path.filename() != "data.ovm") return false;
  folder = path.parent_path().string();
  folder += folder.empty() ? "./" : "/";
  return true;
}

bool ReadPage(const std::string& file, std::string& text) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataFile = orvane::DefaultInstallationFolder() + "Data/data.xml";
  std::vector<std::string> pages;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data") {
      if (++i == argc) return Usage();
      dataFile = argv[i];
    } else if (arg.starts_with("--")) {
      return Usage();
    } else {
      pages.push_back(arg);
    }
  }
  if (pages.empty()) return Usage();

  std::vector<std::unique_ptr<orvane::TSearchEngines>> engines;
  try {
    std::string folder;
    if (!DataFolder(dataFile, folder)) {
      std::fprintf(stderr, "orvane-check-engines: no data file %s (it must be named data.xml or data.ovm)\n",
                   dataFile.c_str());
      return 2;
    }
    // The store prefers data.xml to data.ovm in the same folder; say which it read.
    std::error_code error;
    dataFile = folder + (fs::is_regular_file(folder + "data.xml", error) ? "data.xml" : "data.ovm");
    const orvane::TXMLManager store(folder);
    engines = orvane::LoadSearchEngines(store);
    std::vector<std::string> added;
    for (size_t i = orvane::kBuiltInEngines; i < engines.size(); ++i) added.push_back(engines[i]->Name);
    orvane::SetEngineNames(std::move(added));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane-check-engines: %s: %s\n", dataFile.c_str(), e.what());
    return 2;
  }
  std::printf("data file: %s\n", dataFile.c_str());

  int failed = 0;
  for (const std::string& file : pages) {
    std::printf("\n%s\n", file.c_str());
    int engine = -1;
    int32_t page = 0;
    std::string text;
    if (!orvane::ParsePageFileName(file, engine, page)) {
      std::printf("  error: the name names no engine; expected <Engine>_file_<page>.htm\n");
    } else if (!ReadPage(file, text)) {
      std::printf("  error: cannot read the file\n");
    } else {
      const orvane::TEngineCheck check = orvane::CheckEnginePage(*engines.at(engine), engine, page, text);
      std::fputs(orvane::FormatEngineCheck(check).c_str(), stdout);
      if (check.Passed()) continue;
    }
    ++failed;
  }
  std::printf("\npages checked: %zu, failed: %d\n", pages.size(), failed);
  return failed > 0 ? 1 : 0;
}
