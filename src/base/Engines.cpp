#include "base/Engines.h"

namespace orvane {

std::string EngineName(int index) {
  switch (index) {
    case kGoogle: return "Google";
    case kMSN: return "MSN";
    case kYahoo: return "Yahoo";
    default: return "";
  }
}

}  // namespace orvane
