// Every way text leaves the program for a browser or another program: HTML
// text and attributes, JavaScript string literals, JSON and CSV. Input is
// Latin-1 bytes; what each output can never contain is said per function.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// HTML text: & < > and the double quote become entities, NUL is dropped.
// The output holds no "<", so it can never open a tag (ours or the page's).
std::string EscapeHTML(std::string_view text);
// The same, appended to `out`.
void AppendEscapedHTML(std::string& out, std::string_view text);
// An HTML attribute value in either kind of quotes: as EscapeHTML, and the
// apostrophe becomes "&#39;".
std::string EscapeHTMLAttribute(std::string_view text);
// Inside a JavaScript string literal in either kind of quotes, in a script
// element (not in an attribute, where a quote stays a quote): quotes and the
// backslash get a backslash, line breaks become \r and \n, "<", ">", "&"
// and the other control bytes hex escapes of the same value. Latin-1 bytes
// stay as they are.
std::string EscapeJS(std::string_view text);
// Engine text (titles, descriptions, links as stored) for HTML text: as it
// stands, but for "<", which becomes an entity. The engines' own entities stay
// (escaping "&" would show "&amp;" where the engine meant "&"), and quotes are
// harmless outside attributes; the tags were stripped, so a "<" left over
// could only open one, or one of our template tags.
void AppendEngineText(std::string& out, std::string_view text);
// A JSON string literal, quotes included, of Latin-1 text, as UTF-8. Control
// characters (C1 too), "<", U+2028 and U+2029 become \u escapes, so the text
// is also safe inside a script element.
std::string JsonString(std::string_view latin1);
// One CSV field of Latin-1 text, as UTF-8: quoted when it holds a quote, a
// comma or a line break; a text a spreadsheet would take for a formula gets a
// leading apostrophe.
std::string CsvField(std::string_view latin1);

}  // namespace orvane
