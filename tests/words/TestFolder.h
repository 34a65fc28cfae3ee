// A fresh temporary folder for one test, removed with everything in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace orvane::testing {

class TTestFolder {
 public:
  TTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TTestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTestFolder(const TTestFolder&) = delete;
  TTestFolder& operator=(const TTestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::string path_;
};

}  // namespace orvane::testing
