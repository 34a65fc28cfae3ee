// Static files of the template folder: pages go through the template engine,
// GIF images are sent as bytes. Nothing outside HtmlDir is ever read, and
// names are found without regard to case on this case-sensitive file system.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "host/RequestHandler.h"
#include "host/StaticFiles.h"

#include <optional>
#include "pages/TemplateEngine.h"

namespace orvane {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::string ResolveInFolder(const std::string& folder, const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos ||
      name.find('\0') != std::string::npos)
    return "";
  fs::path current(folder);
  size_t start = 0;
  while (start <= name.size()) {
    const size_t slash = name.find('/', start);
    const std::string segment = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (segment.empty() || segment == "." || segment == "..") return "";
    std::error_code ec;
    fs::path next = current / segment;
    if (!fs::exists(next, ec)) {
      next.clear();
      for (const auto& entry : fs::directory_iterator(current, ec)) {
        if (SameText(entry.path().filename().string(), segment)) {
          next = entry.path();
          break;
        }
      }
      if (next.empty()) return "";
    }
    current = next;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::error_code ec;
  return fs::is_regular_file(current, ec) ? current.string() : "";
}

bool IsPlainText(const std::string& name) {
  return name == "spacer.htm" || name == "topframe3.htm" || EndsText(".css", name) || EndsText(".js", name);
}

namespace {

std::string ReadLinesWithCrLf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\"");
  std::string text, line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line;
    text += "\r\n";
  }
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\"");
  return text;
}

std::string TwoDecimals(double value) { return FloatToStr(RoundTo2(value)); }

}  // namespace

std::string TRequestHandler::ServePage(const std::string& name) {
  Response.Expires = Now();
  Response.CacheControl = "no-cache";
  TimeLog.Start();
  const std::string requested = Global->HtmlDir + name;
  const std::string path = ResolveInFolder(Global->HtmlDir, name);
  if (path.empty()) {
    Global->Log("ServePage", "File not found: " + requested);
    throw TNotFound("File not found: " + requested, "RequestHandler", "ServePage");
  }
  std::string text = ReadLinesWithCrLf(path);
  const std::string lowerName = LowerCase(name);
  if (!IsPlainText(lowerName)) {
    TPageContext context{SessionId, nullptr, RankId,
                         lowerName == "statistics.htm" ? PresentationDurationText(1000) : std::string(), "",
                         Global->PageSettings()};
    if (lowerName == "default.htm") context.Failure = GetParamStr(Request.Params, "Failure", "");
    // Pages only read the session; actions of other requests wait.
    std::shared_lock<std::shared_mutex> guard;
    std::optional<TSessionView> view;
    if (Session) {
      guard = std::shared_lock(Session->DataLock);
      view.emplace(Session->View());
      context.Session = &*view;
    }
    text = ReplaceTags(context, lowerName, text);
  }
  const double ms = TimeLog.Lap("", false);
  if (Session) Session->AddHtmlTime(ms);
  ++Global->Data->PageCount;
  return text;
}

std::string TRequestHandler::ServeImage(const std::string& name) {
  if (Request.Header("If-Modified-Since")) {
    Response.SetResponseNo(304);
    return "";
  }
  const std::string requested = Global->HtmlDir + name;
  const std::string path = ResolveInFolder(Global->HtmlDir, name);
  if (path.empty()) {
    Global->Log("ServeImage", "File not found: " + requested);
    Global->Log("ServeImage", "file: " + name + " not found");
    throw TNotFound("File not found: " + requested, "RequestHandler", "ServeImage");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\"");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Response.LastModified = Global->Data->StartTime;
  Global->Log("ServeImage", "file: " + name + " loaded from disk");
  return bytes;
}

std::string TRequestHandler::PresentationDurationText(double divisor) const {
  const double htmlTime = (Session ? Session->HtmlTime() : 0.0) / divisor;
  const int32_t pages = Global->Data->PageCount.load();
  if (pages == 0) return "N/A";
  return TwoDecimals(htmlTime) + " / " + std::to_string(pages) + " = " + TwoDecimals(htmlTime / pages);
}

}  // namespace orvane
