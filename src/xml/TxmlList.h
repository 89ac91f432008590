#pragma once
// A small XML reader: an optional declaration, elements with double-quoted
// attributes, nested elements, text, and five entity references. One node of
// the tree is an element (Name not empty) or a text node (Name empty).
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/text/AnsiString.h"

namespace xml_detail {
struct ElementSpan;
}

class TxmlList {
 public:
  // Nesting deeper than this is refused, so hostile text cannot exhaust the stack.
  static constexpr int32_t MaxDepth = 256;

  explicit TxmlList(TxmlList* parent = nullptr);
  ~TxmlList();
  TxmlList(const TxmlList&) = delete;
  TxmlList& operator=(const TxmlList&) = delete;

  TxmlList* Parent() const { return FParent; }
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& name);
  const AnsiString& Text() const { return FText; }
  const AnsiString& Version() const { return FVersion; }
  const AnsiString& Encoding() const { return FEncoding; }
  bool LowerCaseNames() const { return FLowerCaseNames; }
  bool KeepWhitespace() const { return FKeepWhitespace; }
  // Both apply to this node and every node below it.
  void SetLowerCaseNames(bool value);
  void SetKeepWhitespace(bool value);

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TxmlList& Items(int32_t index) const { return *FItems.at(static_cast<size_t>(index)); }
  int32_t AttributeCount() const { return static_cast<int32_t>(FAttributeNames.size()); }
  const AnsiString& AttributeName(int32_t index) const { return FAttributeNames.at(static_cast<size_t>(index)); }
  const AnsiString& AttributeValueAt(int32_t index) const { return FAttributeValues.at(static_cast<size_t>(index)); }
  // The first attribute of that name, compared without regard to case; empty when none.
  AnsiString AttributeValue(const AnsiString& name) const;

  // Frees the children and drops name, text and attributes; Version and Encoding stay.
  void Clear();
  // Parses a whole document into this node, which becomes the root.
  void LoadFromText(const AnsiString& text);
  void ParseElement(std::string_view text);
  void ParseContent(std::string_view text);
  void ParseAttributes(std::string_view text);
  // Appends a child (parsed from source when it is not empty); returns its index.
  int32_t AddChild(std::string_view source);
  // Own text and that of every descendant, entity-decoded once.
  AnsiString InnerText() const;

 private:
  void CollectText(AnsiString& out) const;
  // ParseElement with the first element of text already found: every level of
  // a deep document would otherwise search its whole text once more.
  void ParseFoundElement(std::string_view text, const xml_detail::ElementSpan& e);
  TxmlList& NewChild();

  TxmlList* FParent;
  int32_t FDepth;
  AnsiString FName;
  AnsiString FText;
  std::vector<AnsiString> FAttributeNames;
  std::vector<AnsiString> FAttributeValues;
  AnsiString FVersion = "1.0";
  AnsiString FEncoding;
  bool FLowerCaseNames;
  bool FKeepWhitespace;
  std::vector<std::unique_ptr<TxmlList>> FItems;
};

// "&lt;", "&gt;", "&quot;", "&apos;" and last "&amp;", each replaced throughout in turn.
AnsiString DecodeEntities(std::string_view text);
