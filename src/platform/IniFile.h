// TIniFile: the stand-in for the platform's private-profile functions. A read
// sees the file as it is on disk (the parsed file is kept while its size,
// times and inode stay the same); every write is a read-modify-write of the whole
// file under a process-wide lock, written to a temporary file and renamed, so
// concurrent writers never lose an update and a reader never sees half a file.
// Section and key names compare without regard to ASCII case. A file without
// write permission is never rewritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : FileName(std::move(fileName)) {}

  // The value, trimmed; `fallback` when the file, section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
  // The value as a decimal integer; `fallback` when missing or not a number.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSection(const std::string& section) const;  // key names

  // False when the file could not be written (the caller decides whether that
  // matters); creates the file and the section as needed. Line breaks in the
  // value become blanks.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int32_t value);
  bool DeleteKey(const std::string& section, const std::string& key);

  const std::string FileName;
};

}  // namespace orvane
