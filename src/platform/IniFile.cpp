#include "platform/IniFile.h"

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <sstream>

#include "base/StrUtils.h"
#include "platform/Files.h"

namespace orvane {

namespace {

// One lock for every INI file of the process: writes are rare and small, and
// a single lock makes read-modify-write trivially safe across sessions.
std::shared_mutex& IniLock() {
  static std::shared_mutex lock;
  return lock;
}

using TLines = std::vector<std::string>;

TLines ReadLinesFromDisk(const std::string& fileName) {
  TLines lines;
  std::ifstream in(fileName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  // Editors on other systems like to start the file with a UTF-8 byte order
  // mark, which would otherwise hide the first section header.
  if (!lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) lines[0].erase(0, 3);
  return lines;
}

// What tells one version of a file from another without reading it.
struct TFileStamp {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{}, Changed{};
  bool operator==(const TFileStamp& other) const {
    return Device == other.Device && Inode == other.Inode && Size == other.Size &&
           Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec &&
           Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
  }
};

// The parsed files, kept while their stamp stays the same: settings are read
// on every engine page, and opening and parsing the file each time was a
// good part of a page's own work. A file modified in the last two seconds is
// read again every time: a rewrite of the same size within the clock's tick
// would keep its stamp.
class TLinesCache {
 public:
  std::shared_ptr<const TLines> Read(const std::string& fileName) {
    struct stat info{};
    if (::stat(fileName.c_str(), &info) != 0) return std::make_shared<const TLines>();
    const TFileStamp stamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    {
      std::lock_guard lock(lock_);
      const auto kept = kept_.find(fileName);
      if (kept != kept_.end() && kept->second.Stamp == stamp) return kept->second.Lines;
    }
    auto lines = std::make_shared<const TLines>(ReadLinesFromDisk(fileName));
    const bool settled = info.st_mtim.tv_sec + 2 < ::time(nullptr);
    std::lock_guard lock(lock_);
    if (settled)
      kept_[fileName] = {stamp, lines};
    else
      kept_.erase(fileName);
    return lines;
  }

 private:
  struct TKept {
    TFileStamp Stamp;
    std::shared_ptr<const TLines> Lines;
  };
  std::mutex lock_;
  std::map<std::string, TKept> kept_;
};

std::shared_ptr<const TLines> ReadLines(const std::string& fileName) {
  static TLinesCache cache;
  return cache.Read(fileName);
}

// A line break inside a value would split it and could smuggle in a section
// or key of its own.
std::string SingleLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// The helpers below look at the lines through views: settings are read on
// every engine page, and a copy per line and part added up.
bool IsSectionHeader(std::string_view line, std::string_view* name) {
  const std::string_view trimmed = TrimmedView(line);
  if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return false;
  if (name) *name = TrimmedView(trimmed.substr(1, trimmed.size() - 2));
  return true;
}

// Splits "key=value"; false for lines without "=" and for comments.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view trimmed = TrimmedView(line);
  if (trimmed.empty() || trimmed[0] == ';') return false;
  const size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return false;
  key = TrimmedView(trimmed.substr(0, eq));
  value = TrimmedView(trimmed.substr(eq + 1));
  return true;
}

// Index range [begin, end) of the section's body lines; begin == npos when the
// section is absent.
void FindSection(const std::vector<std::string>& lines, const std::string& section, size_t& begin, size_t& end) {
  begin = std::string::npos;
  end = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (!IsSectionHeader(lines[i], &name)) continue;
    if (begin != std::string::npos) {
      end = i;
      return;
    }
    if (SameText(name, section)) begin = i + 1;
  }
}

bool FindValue(const std::vector<std::string>& lines, const std::string& section, const std::string& key,
               std::string& value, size_t* lineIndex = nullptr) {
  size_t begin, end;
  FindSection(lines, section, begin, end);
  if (begin == std::string::npos) return false;
  for (size_t i = begin; i < end; ++i) {
    std::string_view k, v;
    if (SplitEntry(lines[i], k, v) && SameText(k, key)) {
      value.assign(v);
      if (lineIndex) *lineIndex = i;
      return true;
    }
  }
  return false;
}

// The file the name stands for: writes go through a symbolic link instead of
// replacing it.
bool WriteLinesAtomically(const std::string& fileName, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return WriteFileAtomically(fileName, text);
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  std::shared_lock lock(IniLock());
  std::string value;
  return FindValue(*ReadLines(FileName), section, key, value) ? value : fallback;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const {
  return StrToIntDef(ReadString(section, key, ""), fallback);
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  std::shared_lock lock(IniLock());
  std::string value;
  return FindValue(*ReadLines(FileName), section, key, value);
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::shared_lock lock(IniLock());
  const auto kept = ReadLines(FileName);
  const TLines& lines = *kept;
  size_t begin, end;
  FindSection(lines, section, begin, end);
  std::vector<std::string> keys;
  if (begin == std::string::npos) return keys;
  for (size_t i = begin; i < end; ++i) {
    std::string_view k, v;
    if (SplitEntry(lines[i], k, v)) keys.emplace_back(k);
  }
  return keys;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  std::unique_lock lock(IniLock());
  TLines lines = *ReadLines(FileName);
  std::string old;
  size_t at = 0;
  const std::string entry = SingleLine(key) + "=" + SingleLine(value);
  if (FindValue(lines, section, key, old, &at)) {
    // The file says so already: no rewrite (and no flush to disk), which
    // every new session and every search would otherwise pay for.
    if (lines[at] == entry) return true;
    lines[at] = entry;
  } else {
    size_t begin, end;
    FindSection(lines, section, begin, end);
    if (begin == std::string::npos) {
      lines.push_back("[" + SingleLine(section) + "]");
      lines.push_back(entry);
    } else {
      // Insert after the section's last entry, before trailing blank lines.
      size_t insertAt = end;
      while (insertAt > begin && TrimmedView(lines[insertAt - 1]).empty()) --insertAt;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
  }
  return WriteLinesAtomically(FileName, lines);
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  std::unique_lock lock(IniLock());
  TLines lines = *ReadLines(FileName);
  std::string old;
  size_t at = 0;
  if (!FindValue(lines, section, key, old, &at)) return true;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  return WriteLinesAtomically(FileName, lines);
}

}  // namespace orvane
