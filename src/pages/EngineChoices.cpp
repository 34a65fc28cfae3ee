#include "pages/EngineChoices.h"

#include "base/Engines.h"
#include "base/Escape.h"

namespace orvane {

namespace {

// Joins what `add` makes of the index, the "se" value (index + 1) and the
// escaped label of every enabled added engine.
template <typename TAdd>
std::string EachAdded(const TEngineList* engines, TAdd add) {
  std::string out;
  if (!engines) return out;
  for (size_t index = kBuiltInEngines; index < engines->size(); ++index) {
    const TSearchEngines& engine = *(*engines)[index];
    if (engine.Shape.Enabled) out += add(std::to_string(index), std::to_string(index + 1), EscapeHTML(engine.Shape.Label));
  }
  return out;
}

}  // namespace

std::string AddedEngineOptions(const TEngineList* engines) {
  return EachAdded(engines, [](const std::string&, const std::string& se, const std::string& label) {
    return "\r\n<option value=\"" + se + "\">" + label + "</option>";
  });
}

std::string AddedEngineRadios(const TEngineList* engines) {
  return EachAdded(engines, [](const std::string& index, const std::string&, const std::string& label) {
    return "\r\n      <div class=\"check\"><input type=\"radio\" name=\"engine\" value=\"" + index + "\" id=\"engine" +
           index + "\" onchange=\"orvaneChooseEngine(this)\" <ov:SearchEngine:Value:" + index + "/>><label for=\"engine" +
           index + "\">" + label + "</label></div>";
  });
}

}  // namespace orvane
