// The files Orvane reads from disk: the data file, plain and encrypted, a
// saved results file and an INI file. The first byte picks the kind.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "data/Crypt32.h"
#include "data/XMLManager.h"
#include "pages/ResultsXml.h"
#include "platform/IniFile.h"
#include "search/Results.h"
#include "words/Predefined.h"
#include "words/Preferences.h"

using namespace orvane;

namespace {

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGlobal& global = fuzz::FuzzGlobal();
  if (size == 0) return 0;
  static const std::string folder = fuzz::ScratchFolder() + "files/";
  std::filesystem::create_directories(folder);
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    switch (data[0] % 4) {
      case 0: {
        std::filesystem::remove(folder + "data.ovm");
        Write(folder + "data.xml", bytes);
        const TXMLManager store(folder);
        store.Section("SearchEngines");
        break;
      }
      case 1: {
        std::filesystem::remove(folder + "data.xml");
        std::string encrypted = bytes;
        EncryptString(encrypted, DataFilePassword(), true);
        Write(folder + "data.ovm", encrypted);
        const TXMLManager store(folder);
        break;
      }
      case 2: {
        Write(folder + "saved.xml", bytes);
        TResults results;
        TPreferences preferences(folder);
        global.Data->ResultsXml->LoadSearchResultFromXml(folder, "saved.xml", results, preferences,
                                                         *global.Predefined);
        break;
      }
      default: {
        Write(folder + "settings.ini", bytes);
        const TIniFile ini(folder + "settings.ini");
        ini.ReadString("General", "SE", "0");
        ini.ReadString("Software\\Orvane", "Port", "");
        break;
      }
    }
  } catch (const std::exception&) {
    // A broken file is refused with an error: that is what should happen.
  }
  return 0;
}
