#include "clusters/PredefinedCluster.h"

#include "words/Profile.h"

namespace orvane {

void TPredefinedCluster::BuildPane(const std::vector<std::unique_ptr<TProfile>>& profiles) {
  Html = "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px\">"
         "<tr valign=\"top\"><td>";
  int n = 0;
  for (const auto& profile : profiles) {
    if (!profile->Visible) continue;
    const std::string& name = profile->Name;
    if (n % 5 == 0) Html += "</td><td width=\"13\"></td><td>";
    // The user's own profile is chosen by saving the options, not here.
    if (name != "Custom")
      Html += "<a title= \"Show results for '" + name + "'\" class=\"PrefLink\" href=\"selectpredefined?predefinedname=" +
              name + "&id=<ov:id/>\" target=\"bottomFrame\"><ov:StartTag_" + name + ">" + name + "<ov:EndTag_" + name +
              "></a><br/>";
    else
      Html += "<ov:StartTag_" + name + ">" + name + "<ov:EndTag_" + name + "><br/>";
    Html += "<img alt=\"\" src=\"/images/trans.gif\" width=\"1\" height=\"3\"/><br/>";
    ++n;
  }
  Html += "\t</td></tr></table>";
}

}  // namespace orvane
