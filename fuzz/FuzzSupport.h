// What the fuzz targets share: a Global on a scratch installation of the
// shipped templates and data file (engines on a closed local port), made
// once per process and kept to its end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/GlobalData.h"

namespace orvane::fuzz {

inline std::string ScratchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  return folder;
}

inline TGlobal& FuzzGlobal() {
  static TGlobal* global = [] {
    namespace fs = std::filesystem;
    const std::string root = ScratchFolder();
    const std::string install = root + "inst/";
    fs::create_directories(install + "Data");
    fs::create_directories(install + "Resources");
    fs::copy(ORVANE_SOURCE_DIR "/resources/html", install + "Resources/html", fs::copy_options::recursive);
    fs::copy_file(ORVANE_SOURCE_DIR "/resources/data/data.xml", install + "Data/data.xml");
    ::setenv("XDG_DATA_HOME", (root + "share").c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
    std::ofstream(root + "orvane.ini") << "[Software\\Orvane]\nInstallationDir=" << install
                                       << "\nOrvaneURL=\nGoogleHost=127.0.0.1:9\nMSNHost=127.0.0.1:9\n"
                                          "YahooHost=127.0.0.1:9\nWikipediaHost=127.0.0.1:9\n"
                                          "ArXivHost=127.0.0.1:9\nBraveHost=127.0.0.1:9\n";
    auto* made = new TGlobal(root + "orvane.ini");
    SetGlobal(made);
    return made;
  }();
  return *global;
}

// Splits the input at NUL bytes into at most `count` texts.
inline std::vector<std::string> Pieces(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && pieces.size() < count) {
      pieces.emplace_back();
      continue;
    }
    pieces.back() += static_cast<char>(data[i]);
  }
  pieces.resize(count);
  return pieces;
}

}  // namespace orvane::fuzz
