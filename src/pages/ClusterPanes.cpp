#include "pages/ClusterPanes.h"

#include "base/Escape.h"
#include "base/StrUtils.h"
#include "clusters/ExtClusters.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"

namespace orvane {

namespace {

constexpr int kColumnLength = 5;
constexpr int32_t kFileIdOffset = 10;  // file extensions follow the ten ids of the groups
constexpr int kPageTypesShown = 15;
constexpr int kWordsShown = 10;

const char* const kSpacer = "<img alt=\"\" src=\"/images/trans.gif\" width=\"1\" height=\"3\"/><br/>";

// The texts in which the two extension panes differ.
struct TPaneTexts {
  const char* Cell;
  const char* GroupCaption;
  const char* ExtensionCaption;
  const char* GroupParameter;
  const char* ExtensionParameter;
  const char* CheckboxId;
  const char* Tag;
  const char* BoxName;
  const char* InputTitle;   // "title=" spacing of the check box
  const char* BeforeLink;   // between the check box and the link
  const char* DisplayOpen;  // around the shown text
  const char* DisplayClose;
};

constexpr TPaneTexts kDomainTexts{"<td style=\"white-space: nowrap;\">",
                                  "Show results that belong to domain group '",
                                  "Show results that belong to domain '",
                                  "ShowOnlyDomainExtensionGroup",
                                  "ShowOnlyDomainExtension",
                                  "DomainCluster_Checkbox",
                                  "<ov:Domain_",
                                  "suffix",
                                  "<input title=\"",
                                  "\"/>&nbsp; <a title= \"",
                                  "> ",
                                  " </a> &nbsp;("};
constexpr TPaneTexts kFileTexts{"<td style=\"height:3px; white-space: nowrap;\">",
                                "Show results that belong to file extension group '",
                                "Show results that belong to file extension '",
                                "ShowOnlyFileExtensionGroup",
                                "ShowOnlyFileExtension",
                                "FileCluster_Checkbox",
                                "<ov:File_",
                                "fileType",
                                "<input title= \"",
                                "\"/>&nbsp;<a title= \"",
                                ">",
                                "</a>&nbsp;("};

std::string ExtensionEntryHtml(const TPaneTexts& texts, bool file, const TPaneEntry& entry, int32_t sessionId) {
  // Extensions come from the engines' links: whatever they hold must stay
  // text, in the markup and in the link.
  const std::string shown = EscapeHTML(entry.Value);
  const std::string caption = entry.IsGroup ? texts.GroupCaption : texts.ExtensionCaption;
  const std::string parameter = entry.IsGroup ? texts.GroupParameter : texts.ExtensionParameter;
  const int32_t idNumber = file && !entry.IsGroup ? entry.Line + kFileIdOffset : entry.Line;
  const std::string id = texts.CheckboxId + std::to_string(idNumber);
  return std::string("&nbsp;&nbsp;&nbsp;") + texts.InputTitle + caption + shown + "'\" type=\"checkbox\" name=\"" +
         texts.BoxName + "\" value=\"" + shown + "\" " + texts.Tag + shown + ":Checked:1/> id=\"" + id +
         texts.BeforeLink + caption + shown + "'\" onclick=\"ExtensionSelected('" + id + "', '" + texts.BoxName +
         "')\" class=\"PrefLink\" href=\"SliceResults.htm?" + parameter + "=" + URLEncode(entry.Value) +
         "&CurrentPage=Advanced&id=" + std::to_string(sessionId) + "\" target=\"bottomFrame\"" + texts.DisplayOpen +
         EscapeHTML(entry.Display) + texts.DisplayClose + std::to_string(entry.Count) + ")<br/>";
}

// The page type's slicing parameter and the words of its link title.
void PageTypeKind(const std::string& kind, const char*& parameter, const char*& caption) {
  parameter = "ShowOnlyFileExtension";
  caption = "file extension '";
  if (kind == "DomainExtGroup") {
    parameter = "ShowOnlyDomainExtensionGroup";
    caption = "domain group '";
  } else if (kind == "FileExtGroup") {
    parameter = "ShowOnlyFileExtensionGroup";
    caption = "file extension group '";
  } else if (kind == "DomainExt") {
    parameter = "ShowOnlyDomainExtension";
    caption = "domain '";
  }
}

}  // namespace

std::string ExtensionPaneHtml(const TExtCluster& cluster, int32_t sessionId) {
  const bool file = cluster.Kind() == TExtCluster::kFile;
  const TPaneTexts& texts = file ? kFileTexts : kDomainTexts;
  std::string html = "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\"><tr valign=\"top\">";
  html += texts.Cell;
  for (const TPaneEntry& entry : cluster.PaneEntries()) {
    html += ExtensionEntryHtml(texts, file, entry, sessionId);
    if ((entry.Line + 1) % kColumnLength == 0) html += std::string("</td><td width=\"10\"></td>") + texts.Cell;
  }
  return html + "</td></tr></table>";
}

std::string PageTypesPaneHtml(const TPageTypes& types, int32_t sessionId) {
  std::string html =
      "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px\">"
      "<tr valign=\"top\"><td></td><td width=\"13\"></td><td style=\"white-space: nowrap;\">";
  int counter = 0;
  for (const TWordData& entry : types.Entries) {
    if (counter >= kPageTypesShown) break;
    if (entry.Count == 0) continue;
    const char* parameter = nullptr;
    const char* caption = nullptr;
    PageTypeKind(entry.SearchText, parameter, caption);
    // The keys come from the engines' links: they stay text.
    const std::string text = EscapeHTML(entry.Text);
    const bool group = entry.SearchText.find("Group") != std::string::npos;
    const std::string display = group ? text : "." + text;
    html += std::string("<a title= \"Show results that belong to ") + caption + text +
            "'\" class=\"PrefLink\" href=\"SliceResults.htm?" + parameter + "=" + URLEncode(entry.Text) +
            "&CurrentPage=Clusters&id=" + std::to_string(sessionId) + " \" target=\"bottomFrame\"><ov:PgtWordStartTag_" +
            text + ">" + display + "<ov:PgtWordEndTag_" + text + "></a> &nbsp;(" + std::to_string(entry.Count) +
            ")<br/>" + kSpacer;
    ++counter;
    if (counter % kColumnLength == 0) html += "</td><td width=\"10\"></td><td style=\"white-space: nowrap;\">";
  }
  return html + "</td></tr></table>";
}

std::string WordPaneHtml(const TWordCluster& pane, int32_t sessionId) {
  std::string html =
      "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px;\">"
      "<tr valign=\"top\"><td></td><td width=\"13\"></td><td style=\"white-space: nowrap;\">";
  int n = 0;
  for (const TPredefinedWord& item : pane.Items) {
    if (n >= kWordsShown) break;
    if (item.Count <= 0) continue;
    html += "<a title= \"" + item.Title + "\" target=\"bottomFrame\" class=\"prefLink\" href=\"selectword?ShowOnlyWord=" +
            item.Text + "&CurrentPage=Clusters&id=" + std::to_string(sessionId) + "\"><ov:WordStartTag_" + item.Text +
            ">" + item.SearchText + " (" + std::to_string(item.Count) + ")<ov:WordEndTag_" + item.Text + "></a><br/>" +
            kSpacer;
    ++n;
    if (n % kColumnLength == 0) html += "</td><td width=\"10\"></td><td align=\"Left\" style=\"white-space: nowrap;\">";
  }
  if (n == 0) html += "No Words";
  return html + "</td></tr></table>";
}

std::string SubjectPaneHtml(const TPredefinedCluster& pane) {
  std::string html =
      "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px\">"
      "<tr valign=\"top\"><td>";
  int n = 0;
  for (const std::string& name : pane.Names) {
    if (n % kColumnLength == 0) html += "</td><td width=\"13\"></td><td>";
    // The user's own profile is chosen by saving the options, not here.
    if (name != "Custom")
      html += "<a title= \"Show results for '" + name + "'\" class=\"PrefLink\" href=\"selectpredefined?predefinedname=" +
              name + "&id=<ov:id/>\" target=\"bottomFrame\"><ov:StartTag_" + name + ">" + name + "<ov:EndTag_" + name +
              "></a><br/>";
    else
      html += "<ov:StartTag_" + name + ">" + name + "<ov:EndTag_" + name + "><br/>";
    html += kSpacer;
    ++n;
  }
  return html + "\t</td></tr></table>";
}

}  // namespace orvane
