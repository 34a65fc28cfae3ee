// Byte-string helpers shared by every subsystem. Text is single-byte
// (Latin-1); case folding touches the ASCII letters only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Removes blanks and control characters (bytes up to 0x20) at both ends.
std::string Trim(std::string_view text);
// The same on the string itself, without a copy.
void TrimInPlace(std::string& text);
// The same as a view into `text`.
std::string_view TrimmedView(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// Decimal integer with an optional sign; no blanks, no trailing text, must fit
// in 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);
int32_t StrToIntDef(std::string_view text, int32_t fallback);
// Decimal number with "." as separator and an optional exponent.
bool TryStrToFloat(std::string_view text, double& value);
double StrToFloatDef(std::string_view text, double fallback);

// "True"/"False" in any letter case, or a number (0 false, any other true).
bool TryStrToBool(std::string_view text, bool& value);

std::string IntToStr(int64_t value);
// Shortest general form: at most 15 significant digits, no trailing zeros,
// "E" exponent for very large or small magnitudes (0.1 + 0.2 gives "0.3").
std::string FloatToStr(double value);
// Rounds to the nearest whole number, halves to the even neighbour.
int64_t RoundHalfEven(double value);
// Rounded to two decimals, a half to the even neighbour.
double RoundTo2(double value);

// Text is bytes with Latin-1 meaning; these convert at the borders where
// UTF-8 is spoken. A character beyond Latin-1 becomes '?'; false (and `out`
// unusable) when `text` is no valid UTF-8.
std::string Latin1ToUtf8(std::string_view text);
bool Utf8ToLatin1(std::string_view text, std::string& out);

// The first place of `part` at or after `from`, bytes compared as they are;
// npos when there is none or `part` is empty.
size_t FindBytes(std::string_view text, std::string_view part, size_t from = 0);
// Replaces every occurrence of `from`, scanning left to right; inserted text
// is not searched again. An empty `from` leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// The same on `text` itself; a text without `from` is not copied at all (the
// page templates are filled by many passes whose tags are mostly absent).
void ReplaceAllIn(std::string& text, std::string_view from, std::string_view to);
// Same without regard to ASCII letter case.
std::string ReplaceAllText(std::string_view text, std::string_view from, std::string_view to);

bool StartsText(std::string_view prefix, std::string_view text);
// Whether `part` occurs in `text`, without regard to ASCII letter case.
bool ContainsText(std::string_view text, std::string_view part);
// Where it first occurs at or after `from`; npos when nowhere.
size_t FindText(std::string_view text, std::string_view part, size_t from = 0);
bool EndsText(std::string_view suffix, std::string_view text);

// Remote-log encoding: letters and "*-.@_" stay, a blank becomes "+", every
// other byte (digits too) becomes "%" and two lower-case hex digits.
std::string HTTPEncode(std::string_view text);
// HTML form encoding: letters, digits and "!$'()*-._@" stay, a blank becomes
// "+", every other byte becomes "%" and two lower-case hex digits.
std::string URLEncode(std::string_view text);
// HTML text to plain text: the entities amp, lt, gt, quot, apos and nbsp and
// numeric ones become their Latin-1 byte ("?" beyond it); anything else
// stays as it stands.
std::string DecodeHTMLEntities(std::string_view text);

// Decodes "+" to a blank, then every "%" followed by two hex digits.
// A malformed escape is kept as it is.
std::string URLDecode(std::string_view text);
// Same, but fails on a "%" without two hex digits after it; badEscape (if
// given) receives that "%"'s offset.
bool TryURLDecode(std::string_view text, std::string& out, size_t* badEscape = nullptr);

}  // namespace orvane
