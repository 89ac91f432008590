#include "xml/TxmlList.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/Exception.h"

namespace {

constexpr size_t npos = std::string_view::npos;

// Whether position at is a character boundary, given that from is one. A byte
// outside the lead-byte range ends a character (single or trail), so only the
// run of lead-range bytes just before at needs counting: an even run ends there.
bool OnBoundary(std::string_view s, size_t from, size_t at) {
  size_t run = 0;
  while (at - run > from && IsLeadByte(static_cast<unsigned char>(s[at - run - 1]))) ++run;
  return run % 2 == 0;
}

// Multibyte-aware search: a match only begins on a character boundary. from
// (0-based) must itself be a boundary; the search stops before limit.
size_t Find(std::string_view s, std::string_view what, size_t from = 0, size_t limit = npos) {
  const size_t end = std::min(limit, s.size());
  if (what.empty()) return from <= s.size() ? from : npos;
  // Long texts are searched by skipping (Horspool): a text made of near misses
  // such as "<<<<" costs no more than one without them.
  std::array<size_t, 256> shift;
  const bool skipping = std::min(limit, s.size()) - std::min(from, s.size()) > 256;
  if (skipping) {
    shift.fill(what.size());
    for (size_t i = 0; i + 1 < what.size(); ++i) shift[static_cast<unsigned char>(what[i])] = what.size() - 1 - i;
  }
  // A match must begin before end; it may reach past it.
  const std::string_view window = s.substr(0, std::min(s.size(), end + what.size() - 1));
  auto next = [&](size_t at) -> size_t {
    if (!skipping) return window.find(what, at);
    for (; at < end && at + what.size() <= s.size(); at += shift[static_cast<unsigned char>(s[at + what.size() - 1])]) {
      if (s[at + what.size() - 1] == what.back() && s.compare(at, what.size(), what) == 0) return at;
    }
    return npos;
  };
  size_t boundary = from;  // the last position known to be a boundary
  for (size_t hit = next(from); hit != npos && hit < end; hit = next(hit + 1)) {
    if (OnBoundary(s, boundary, hit)) return hit;
    boundary = hit + 1;  // a trail byte here: the next position starts a character
  }
  return npos;
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

AnsiString Concat(std::string_view a, std::string_view b = {}, std::string_view c = {}) {
  AnsiString out;
  out.reserve(a.size() + b.size() + c.size());
  return out.append(a).append(b).append(c);
}

}  // namespace

// The first element of a text, with 0-based positions.
struct xml_detail::ElementSpan {
  bool found = false;
  size_t start = 0;        // its "<"
  std::string_view name;
  size_t startTagEnd = 0;  // the ">" of its start tag
  size_t closeStart = 0;   // the "<" of its end tag (start for an empty element)
  size_t end = 0;          // the last ">" of the element
};

namespace {
using xml_detail::ElementSpan;

size_t NameEnd(std::string_view tag) {
  for (std::string_view stop : {" ", "\t", "\n", "\r", "/"}) {
    const size_t at = Find(tag, stop);
    if (at != npos) return at;
  }
  return tag.size() - 1;
}

ElementSpan FindElement(std::string_view s) {
  ElementSpan e;
  const size_t start = Find(s, "<");
  const size_t startTagEnd = Find(s, ">");
  if (start == npos) return e;
  if (startTagEnd == npos || startTagEnd < start) throw Exception(Concat(Ansi(u8"解析できません"), s));
  const std::string_view tag = s.substr(start, startTagEnd - start + 1);
  const size_t nameEnd = NameEnd(tag);
  e.found = true;
  e.start = start;
  e.startTagEnd = startTagEnd;
  e.name = nameEnd > 1 ? tag.substr(1, nameEnd - 1) : std::string_view();
  if (tag.size() >= 2 && tag[tag.size() - 2] == '/') {
    e.closeStart = start;
    e.end = startTagEnd;
    return e;
  }
  // A later start tag beginning with "<" + name opens a nested element of the
  // same name; its end tag is then met once more.
  const AnsiString closing = Concat("</", e.name, ">");
  const AnsiString opening = Concat("<", e.name);
  int64_t depth = 1;
  size_t from = start + 1;
  size_t close = npos;
  do {
    // After a nested opening the same end tag comes next again: it is only
    // searched for anew once the search has passed it, keeping this linear.
    if (close == npos || close < from) close = Find(s, closing, from);
    if (close == npos) throw Exception(Concat(Ansi(u8"終了タグがありません"), "\r\n", tag));
    --depth;
    const size_t open = Find(s, opening, from, close);
    from = close + 1;
    if (open != npos) {
      depth += 2;
      from = open + 1;
    }
  } while (depth > 0);
  e.closeStart = close;
  e.end = close + e.name.size() + 2;
  return e;
}

[[noreturn]] void BadAttributes(std::string_view s) {
  throw Exception(Concat(Ansi(u8"属性指定が不正です"), "\r\n", s));
}

// Splits the attribute text: a blank ends a token only after its two quotes.
std::vector<std::string> AttributeTokens(std::string_view s) {
  std::vector<std::string> tokens;
  std::string token;
  int quotes = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quotes == 2 && (c == ' ' || c == '\t')) {
      if (!token.empty()) tokens.push_back(std::move(token));
      token.clear();
      quotes = 0;
      continue;
    }
    token += c;
    if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < s.size()) {
      token += s[++i];
    } else if (c == '"') {
      ++quotes;
    }
  }
  if (!token.empty()) tokens.push_back(std::move(token));
  return tokens;
}

void ReplaceAll(AnsiString& s, std::string_view what, std::string_view with) {
  AnsiString out;
  size_t at = 0;
  for (size_t hit = Find(s, what); hit != npos; hit = Find(s, what, at)) {
    out.append(s, at, hit - at).append(with);
    at = hit + what.size();
  }
  if (at == 0) return;
  out.append(s, at, npos);
  s = std::move(out);
}

}  // namespace

AnsiString DecodeEntities(std::string_view text) {
  AnsiString s(text);
  ReplaceAll(s, "&lt;", "<");
  ReplaceAll(s, "&gt;", ">");
  ReplaceAll(s, "&quot;", "\"");
  ReplaceAll(s, "&apos;", "'");
  ReplaceAll(s, "&amp;", "&");
  return s;
}

TxmlList::TxmlList(TxmlList* parent)
    : FParent(parent),
      FDepth(parent != nullptr ? parent->FDepth + 1 : 0),
      FName(parent != nullptr ? "" : "data"),
      FLowerCaseNames(parent != nullptr ? parent->FLowerCaseNames : true),
      FKeepWhitespace(parent != nullptr && parent->FKeepWhitespace) {}

TxmlList::~TxmlList() = default;

void TxmlList::SetName(const AnsiString& name) { FName = FLowerCaseNames ? AnsiLowerCase(name) : name; }

void TxmlList::SetLowerCaseNames(bool value) {
  FLowerCaseNames = value;
  for (auto& child : FItems) child->SetLowerCaseNames(value);
}

void TxmlList::SetKeepWhitespace(bool value) {
  FKeepWhitespace = value;
  for (auto& child : FItems) child->SetKeepWhitespace(value);
}

AnsiString TxmlList::AttributeValue(const AnsiString& name) const {
  const AnsiString wanted = AnsiLowerCase(name);
  for (size_t i = 0; i < FAttributeNames.size(); ++i) {
    if (AnsiLowerCase(FAttributeNames[i]) == wanted) return FAttributeValues[i];
  }
  return "";
}

void TxmlList::Clear() {
  FItems.clear();
  FName.clear();
  FText.clear();
  FAttributeNames.clear();
  FAttributeValues.clear();
}

void TxmlList::LoadFromText(const AnsiString& source) {
  AnsiString s = source;
  if (s.size() > 2 && static_cast<unsigned char>(s[0]) == 0xFF && static_cast<unsigned char>(s[1]) == 0xFE) {
    s = Utf16LeToAnsi(std::string_view(s).substr(2));
  }
  const size_t d1 = Find(s, "<?");
  const size_t d2 = Find(s, "?>");
  std::string_view target;
  if (d1 != npos && d2 != npos && d1 < d2) {
    const std::string_view declaration = std::string_view(s).substr(d1, d2 + 2 - d1);
    const size_t space = Find(declaration, " ");
    if (space != npos && space > 2) target = declaration.substr(2, space - 2);
  }
  if (target != "xml") {
    const ElementSpan e = FindElement(s);
    if (e.found && e.start == 0 && e.end + 1 == s.size()) {
      ParseElement(s);
    } else {
      ParseElement(Concat("<data>", s, "</data>"));
    }
    return;
  }
  // The pseudo-attributes after "<?xml" and one separator.
  ParseAttributes(d1 + 6 < d2 ? std::string_view(s).substr(d1 + 6, d2 - d1 - 6) : std::string_view());
  s.erase(0, d2 + 2);
  FEncoding = AttributeValue("encoding");
  FVersion = AttributeValue("version");
  Clear();
  if (FEncoding == "utf-8" || FEncoding == "utf-8N") s = Utf8ToAnsi(s);
  const ElementSpan e = FindElement(s);
  ParseElement(e.found ? std::string_view(s).substr(e.start, e.end + 1 - e.start) : std::string_view());
}

void TxmlList::ParseElement(std::string_view s) { ParseFoundElement(s, FindElement(s)); }

void TxmlList::ParseFoundElement(std::string_view s, const ElementSpan& e) {
  Clear();
  SetName(AnsiString(e.name));
  if (e.found && e.start == 0 && e.end + 1 >= s.size() && !e.name.empty()) {
    const size_t attributesFrom = e.start + e.name.size() + 2;
    ParseAttributes(attributesFrom < e.startTagEnd ? s.substr(attributesFrom, e.startTagEnd - attributesFrom)
                                                   : std::string_view());
    ParseContent(e.closeStart > e.startTagEnd ? s.substr(e.startTagEnd + 1, e.closeStart - e.startTagEnd - 1)
                                              : std::string_view());
    return;
  }
  FText = AnsiString(FKeepWhitespace ? s : Trim(s));
}

void TxmlList::ParseContent(std::string_view s) {
  FItems.clear();
  FText.clear();
  while (!s.empty()) {
    const ElementSpan e = FindElement(s);
    if (!e.found) break;
    if (e.start == 0) {
      NewChild().ParseFoundElement(s.substr(0, e.end + 1), e);
      s.remove_prefix(e.end + 1);
      continue;
    }
    const std::string_view before = FKeepWhitespace ? s.substr(0, e.start) : Trim(s.substr(0, e.start));
    s.remove_prefix(e.start);
    if (!before.empty()) AddChild(before);
  }
  const std::string_view rest = FKeepWhitespace ? s : Trim(s);
  if (!rest.empty()) AddChild(rest);
}

void TxmlList::ParseAttributes(std::string_view text) {
  std::string_view s = Trim(text);
  if (!s.empty() && s.back() == '/') s.remove_suffix(1);
  FAttributeNames.clear();
  FAttributeValues.clear();
  s = Trim(s);
  if (s.empty()) return;
  for (const std::string& tokenText : AttributeTokens(s)) {
    const std::string_view token = tokenText;
    const size_t equals = Find(token, "=");
    if (equals == npos) BadAttributes(s);
    const std::string_view name = Trim(token.substr(0, equals));
    const std::string_view value = Trim(token.substr(equals + 1));
    if (value.empty() || value.front() != '"' || value.back() != '"') BadAttributes(s);
    FAttributeNames.push_back(FLowerCaseNames ? AnsiLowerCase(AnsiString(name)) : AnsiString(name));
    FAttributeValues.push_back(DecodeEntities(value.size() >= 2 ? value.substr(1, value.size() - 2) : ""));
  }
}

TxmlList& TxmlList::NewChild() {
  if (FDepth + 1 > MaxDepth) {
    throw Exception(Ansi(u8"要素の入れ子が深すぎます（") + std::to_string(MaxDepth) + Ansi(u8" 段まで）"));
  }
  FItems.push_back(std::make_unique<TxmlList>(this));
  return *FItems.back();
}

int32_t TxmlList::AddChild(std::string_view source) {
  TxmlList& child = NewChild();
  if (!source.empty()) child.ParseElement(source);
  return Count() - 1;
}

void TxmlList::CollectText(AnsiString& out) const {
  out += FText;
  for (const auto& child : FItems) child->CollectText(out);
}

AnsiString TxmlList::InnerText() const {
  AnsiString all;
  CollectText(all);
  return DecodeEntities(all);
}
