// A request's path and query string: the parameter reads of the dispatcher
// and the mapping of a name to a file of the template folder, which must
// stay inside that folder or refuse.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "base/StrUtils.h"
#include "host/HttpTypes.h"
#include "host/StaticFiles.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = fuzz::FuzzGlobal().HtmlDir;
  static const std::string canonicalFolder = std::filesystem::weakly_canonical(folder).string() + "/";
  const std::string target(reinterpret_cast<const char*>(data), size);
  const bool post = size > 0 && data[0] == 'P';
  const TParams params = ParseParams(target, post ? "POST" : "GET", "application/x-www-form-urlencoded", target);
  std::string value;
  FindParam(params, "id", value);
  GetParamInt(params, "id", -1);
  GetParamFloat(params, "totalrank", 0);
  GetParamStr(params, "keywords", "");
  std::string decoded;
  size_t bad = 0;
  TryURLDecode(target, decoded, &bad);

  // The document as the dispatcher takes it: the path, lower-cased, without
  // its leading slash.
  std::string doc = LowerCase(target.substr(0, target.find('?')));
  if (!doc.empty() && doc[0] == '/') doc = doc.substr(1, 1000);
  const std::string path = ResolveInFolder(folder, doc);
  if (!path.empty()) {
    const std::string resolved = std::filesystem::weakly_canonical(path).string();
    if (resolved.compare(0, canonicalFolder.size(), canonicalFolder) != 0) std::abort();  // left the folder
  }
  return 0;
}
