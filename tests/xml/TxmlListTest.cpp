#include <gtest/gtest.h>

#include <string>

#include "platform/Exception.h"
#include "xml/TxmlList.h"

namespace {

// The reader's message in UTF-8, or "" when the text parsed.
std::string ErrorOf(const AnsiString& text) {
  try {
    TxmlList root;
    root.LoadFromText(text);
    return "";
  } catch (const Exception& e) {
    return ToUtf8(e.Message());
  }
}

int ElementChildren(const TxmlList& node) {
  int n = 0;
  for (int i = 0; i < node.Count(); ++i) n += !node.Items(i).Name().empty();
  return n;
}

}  // namespace

TEST(TxmlList, EmptyTextAndSingleElements) {
  TxmlList empty;
  empty.LoadFromText("");
  EXPECT_EQ(empty.Name(), "data");
  EXPECT_EQ(empty.Count(), 0);

  TxmlList a;
  a.LoadFromText("<a/>");
  EXPECT_EQ(a.Name(), "a");
  EXPECT_EQ(a.AttributeCount(), 0);
  EXPECT_EQ(a.Count(), 0);

  TxmlList wrapped;
  wrapped.LoadFromText("\r\n<a/>");
  EXPECT_EQ(wrapped.Name(), "data");
  ASSERT_EQ(ElementChildren(wrapped), 1);
  EXPECT_EQ(wrapped.Items(0).Name(), "a");
}

TEST(TxmlList, NamesAndAttributesAreLowerCasedButDoubleByteCharactersStay) {
  TxmlList root;
  root.LoadFromText("<SpecialDay Mean=\"X\"><DATE Month=\"4\" day= \"29\"/></SpecialDay>");
  EXPECT_EQ(root.Name(), "specialday");
  EXPECT_EQ(root.AttributeName(0), "mean");
  EXPECT_EQ(root.AttributeValue("MEAN"), "X");
  const TxmlList& date = root.Items(0);
  EXPECT_EQ(date.Name(), "date");
  ASSERT_EQ(date.AttributeCount(), 2);
  EXPECT_EQ(date.AttributeValue("month"), "4");
  EXPECT_EQ(date.AttributeValue("day"), "29");
  // "ア" is 0x83 0x41: its trail byte is an "A" that must not be lower-cased.
  TxmlList kana;
  kana.LoadFromText(Ansi(u8"<Xア/>"));
  EXPECT_EQ(kana.Name(), Ansi(u8"xア"));
  kana.SetLowerCaseNames(false);
  kana.LoadFromText("<Big/>");
  EXPECT_EQ(kana.Name(), "Big");
}

TEST(TxmlList, TextAndElementsMix) {
  TxmlList h;
  h.LoadFromText(Ansi(u8"<h>元日<date/></h>"));
  ASSERT_EQ(h.Count(), 2);
  EXPECT_TRUE(h.Items(0).Name().empty());
  EXPECT_EQ(h.Items(0).Text(), Ansi(u8"元日"));
  EXPECT_EQ(h.Items(1).Name(), "date");
  EXPECT_EQ(h.InnerText(), Ansi(u8"元日"));

  TxmlList after;
  after.LoadFromText("<b/> x > y");
  EXPECT_EQ(after.Name(), "data");
  ASSERT_EQ(after.Count(), 2);
  EXPECT_EQ(after.Items(1).Text(), "x > y");

  TxmlList nested;
  nested.LoadFromText("<a> <a>in</a> </a>");
  EXPECT_EQ(nested.Name(), "a");
  ASSERT_EQ(nested.Count(), 1);
  EXPECT_EQ(nested.Items(0).Name(), "a");
  EXPECT_EQ(nested.InnerText(), "in");
}

TEST(TxmlList, Failures) {
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"<a b='1'/>", "属性指定が不正です\r\nb='1'"},
      {"<a b/>", "属性指定が不正です\r\nb"},
      {"<a b=\"1/>", "属性指定が不正です\r\nb=\"1"},
      {"<date><dates/></date>", "終了タグがありません\r\n<date>"},
      {"<a>", "終了タグがありません\r\n<a>"},
      {"x > y <b/>", "解析できません" + std::string("x > y <b/>")},
      {"<a", "解析できません<a"},
      {"<?XML version=\"1.0\"?><a/>", "終了タグがありません\r\n<?XML version=\"1.0\"?>"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(TxmlList, EntitiesAreDecodedOnce) {
  TxmlList root;
  root.LoadFromText("<a v=\"&amp;lt;&quot;&apos;&gt;\">1 &lt; 2 &amp;amp;</a>");
  EXPECT_EQ(root.AttributeValue("v"), "&lt;\"'>");
  EXPECT_EQ(root.InnerText(), "1 < 2 &amp;");
  EXPECT_EQ(DecodeEntities("&lt;&gt;&quot;&apos;&amp;&unknown;"), "<>\"'&&unknown;");
}

TEST(TxmlList, DeclarationAndEncodings) {
  TxmlList sjis;
  sjis.LoadFromText(Ansi(u8"<?xml version=\"1.1\" encoding=\"shift_jis\"?>\r\n<r>立春</r> trailing"));
  EXPECT_EQ(sjis.Version(), "1.1");
  EXPECT_EQ(sjis.Encoding(), "shift_jis");
  EXPECT_EQ(sjis.Name(), "r");
  EXPECT_EQ(sjis.InnerText(), Ansi(u8"立春"));
  EXPECT_EQ(sjis.AttributeCount(), 0);  // the declaration's attributes are dropped

  const std::string utf8Doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>立春😀</r>";
  TxmlList utf8;
  utf8.LoadFromText(utf8Doc);
  EXPECT_EQ(utf8.InnerText(), Ansi(u8"立春") + "?");  // a character CP932 lacks becomes "?"

  TxmlList capitals;
  capitals.LoadFromText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>立春</r>");
  EXPECT_EQ(capitals.InnerText(), "立春");  // left as UTF-8 bytes

  TxmlList none;
  none.LoadFromText("<?xml version=\"1.0\"?>no element here");
  EXPECT_TRUE(none.Name().empty());
  EXPECT_EQ(none.Count(), 0);

  const std::u16string wide = u"<r a=\"1\">節分</r>";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : wide) utf16.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  utf16.append({0, 0, 'x', 0});  // after the first NUL nothing is read
  TxmlList fromWide;
  fromWide.LoadFromText(utf16);
  EXPECT_EQ(fromWide.Name(), "r");
  EXPECT_EQ(fromWide.InnerText(), Ansi(u8"節分"));
}

TEST(TxmlList, WhitespaceIsTrimmedUnlessKept) {
  TxmlList trimmed;
  trimmed.LoadFromText("<a>  x  <b/>  y </a>");
  ASSERT_EQ(trimmed.Count(), 3);
  EXPECT_EQ(trimmed.Items(0).Text(), "x");
  EXPECT_EQ(trimmed.Items(2).Text(), "y");
  TxmlList kept;
  kept.SetKeepWhitespace(true);
  kept.LoadFromText("<a>  x  <b/>  y </a>");
  ASSERT_EQ(kept.Count(), 3);
  EXPECT_EQ(kept.Items(0).Text(), "  x  ");
  EXPECT_TRUE(kept.Items(1).KeepWhitespace());
}

TEST(TxmlList, HostileTextIsBounded) {
  std::string deep, deeper;
  for (int i = 0; i < 200; ++i) deep += "<e>";
  for (int i = 0; i < 200; ++i) deep += "</e>";
  EXPECT_EQ(ErrorOf(deep), "");
  for (int i = 0; i < 5000; ++i) deeper += "<e>";
  for (int i = 0; i < 5000; ++i) deeper += "</e>";
  EXPECT_EQ(ErrorOf(deeper), "要素の入れ子が深すぎます（256 段まで）");
  std::string wide = "<a";
  for (int i = 0; i < 100000; ++i) wide += " k" + std::to_string(i) + "=\"v\"";
  wide += "/>";
  TxmlList root;
  root.LoadFromText(wide);
  EXPECT_EQ(root.AttributeCount(), 100000);
  EXPECT_EQ(root.AttributeValue("k99999"), "v");
  std::string siblings = "<r>";
  for (int i = 0; i < 20000; ++i) siblings += "<i>x</i>";
  siblings += "</r>";
  TxmlList many;
  many.LoadFromText(siblings);
  EXPECT_EQ(many.Count(), 20000);
  // Long texts: a body full of near misses under deep nesting parses, and a "<"
  // right after a lone lead byte still belongs to that character.
  std::string nested, body(300000, '<');
  for (int i = 0; i < 200; ++i) nested += "<n" + std::to_string(i % 10) + ">";
  nested += "&lt;";
  for (int i = 199; i >= 0; --i) nested += "</n" + std::to_string(i % 10) + ">";
  TxmlList tree;
  tree.LoadFromText(nested);
  EXPECT_EQ(tree.InnerText(), "<");
  TxmlList lone;
  lone.LoadFromText("<r>" + std::string(300, 'x') + "\x81<b/>y</r>");
  EXPECT_EQ(lone.InnerText(), std::string(300, 'x') + "\x81<b/>y");
  EXPECT_EQ(ErrorOf("<r>" + std::string(300, 'x') + "\x81" + body + "</r>").rfind("解析できません", 0), 0u);
}
