#include "platform/graphics/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/Exception.h"

namespace {

// The system's font names and the installed families that stand in for them.
struct FontMapping {
  const char8_t* SystemName;
  const char* Family;
  bool BoldFace;       // ask fontconfig for the bold face
  bool AlwaysHeavy;    // embolden even when the caller did not ask for bold
};

constexpr FontMapping kFontMap[] = {
    {u8"ＭＳ 明朝", "IPAMincho", false, false},
    {u8"ＭＳ Ｐ明朝", "IPAPMincho", false, false},
    {u8"ＭＳ ゴシック", "IPAGothic", false, false},
    {u8"ＭＳ Ｐゴシック", "IPAPGothic", false, false},
    {u8"HGP創英角ｺﾞｼｯｸUB", "IPAPGothic", false, true},
    {u8"Arial Black", "DejaVu Sans", true, true},
};

// FreeType and the faces opened through it, kept for the life of the process and
// shared by every canvas; the faces go before the library.
struct Library {
  FT_Library ft = nullptr;
  std::map<std::string, std::shared_ptr<FontFace>> faces;
  Library() {
    if (FT_Init_FreeType(&ft) != 0) throw Exception("FreeType cannot start");
  }
  ~Library() {
    faces.clear();
    FT_Done_FreeType(ft);
    // No FcFini: Qt may still hold fontconfig's patterns when the process ends
    // (an X server gone with a menu open), and fontconfig asserts on them.
  }
};

Library& TheLibrary() {
  static Library library;
  return library;
}

std::string LowerAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return s;
}

struct FontFile {
  std::string path;
  int index = 0;
};

// fontconfig's match for family, or nothing when what it offers is another family.
bool FindFontFile(const std::string& family, bool bold, FontFile& found) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool ok = false;
  FcChar8* file = nullptr;
  for (int i = 0; !ok; ++i) {
    FcChar8* matchedFamily = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, i, &matchedFamily) != FcResultMatch) break;
    ok = LowerAscii(reinterpret_cast<const char*>(matchedFamily)) == LowerAscii(family);
  }
  if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    found.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
  } else {
    ok = false;
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

class FontFace {
 public:
  explicit FontFace(const FontFile& file) {
    if (FT_New_Face(TheLibrary().ft, file.path.c_str(), file.index, &FFace) != 0) {
      throw Exception("FreeType cannot read " + file.path);
    }
  }
  ~FontFace() { FT_Done_Face(FFace); }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;
  FT_Face Face() const { return FFace; }

  // Ascent and descent in font units as the Windows cell height counts them.
  void CellUnits(int64_t& ascent, int64_t& descent) const {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(FFace, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    } else {
      ascent = FFace->ascender;
      descent = -FFace->descender;
    }
  }

 private:
  FT_Face FFace = nullptr;
};

namespace {

std::shared_ptr<FontFace> OpenFace(const AnsiString& name, bool bold, bool& embolden) {
  Library& library = TheLibrary();  // first, so that it outlives fontconfig's use
  std::string family = ToUtf8(name);
  bool boldFace = false;
  embolden = bold;
  for (const FontMapping& m : kFontMap) {
    if (Ansi(m.SystemName) == name) {
      family = m.Family;
      boldFace = m.BoldFace;
      embolden = bold || m.AlwaysHeavy;
    }
  }
  FontFile file;
  if (!FindFontFile(family, boldFace, file)) {
    AnsiString familyText;
    FromUtf8(family, familyText);
    throw Exception(Ansi(u8"フォント「") + name + Ansi(u8"」が見つかりません（") + familyText +
                    Ansi(u8" をインストールしてください）"));
  }
  const std::string key = file.path + "#" + std::to_string(file.index);
  auto& face = library.faces[key];
  if (!face) face = std::make_shared<FontFace>(file);
  if (boldFace) embolden = embolden && (face->Face()->style_flags & FT_STYLE_FLAG_BOLD) == 0;
  return face;
}

}  // namespace

SizedFont::SizedFont(const AnsiString& name, int32_t height, bool bold) {
  FFace = OpenFace(name, bold, FEmbolden);
  int64_t ascent = 0, descent = 0;
  FFace->CellUnits(ascent, descent);
  const double unitsPerEm = FFace->Face()->units_per_EM;
  const double cellUnits = static_cast<double>(ascent + descent);
  const double pixelEm = height > 0 ? height * unitsPerEm / cellUnits : -height;
  FCharSize26 = std::llround(pixelEm * 64);
  FCellHeight = height > 0 ? height : static_cast<int32_t>(std::lround(pixelEm * cellUnits / unitsPerEm));
  FAscent = static_cast<int32_t>(std::lround(pixelEm * ascent / unitsPerEm));
}

SizedFont::~SizedFont() = default;

bool SizedFont::Load(char32_t code) const {
  FT_Face face = FFace->Face();
  if (FT_Set_Char_Size(face, 0, FCharSize26, 72, 72) != 0) return false;
  if (FT_Load_Char(face, code, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
  if (FEmbolden) FT_GlyphSlot_Embolden(face->glyph);
  return true;
}

namespace {
// Whole pixels per character, as the window system's text output advances.
int32_t WholePixelAdvance(FT_GlyphSlot slot) { return static_cast<int32_t>((slot->advance.x + 32) & ~63); }
}  // namespace

int32_t SizedFont::Advance26(char32_t code) const {
  return Load(code) ? WholePixelAdvance(FFace->Face()->glyph) : 0;
}

GlyphImage SizedFont::Render(char32_t code) const {
  GlyphImage g;
  if (!Load(code)) return g;
  FT_GlyphSlot slot = FFace->Face()->glyph;
  g.Advance26 = WholePixelAdvance(slot);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
  const FT_Bitmap& bm = slot->bitmap;
  g.Left = slot->bitmap_left;
  g.Top = slot->bitmap_top;
  g.Width = static_cast<int32_t>(bm.width);
  g.Rows = static_cast<int32_t>(bm.rows);
  g.Coverage.resize(static_cast<size_t>(g.Width) * g.Rows);
  for (int32_t r = 0; r < g.Rows; ++r) {
    std::memcpy(&g.Coverage[static_cast<size_t>(r) * g.Width], bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch,
                static_cast<size_t>(g.Width));
  }
  return g;
}
