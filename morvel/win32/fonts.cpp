#include "fonts.h"

#include <initializer_list>

namespace morvel {

namespace {

// The design's fonts first, then the Japanese fonts Windows and the
// Linux desktops (which Wine sees) commonly have.
constexpr std::initializer_list<const wchar_t*> kFixedFaces = {
    L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF",  // MS Gothic, as Japanese Windows names it
    L"MS Gothic",
    L"BIZ UDGothic",
    L"Noto Sans Mono CJK JP",
    L"Source Han Code JP",
    L"IPAGothic"};
constexpr std::initializer_list<const wchar_t*> kProportionalFaces = {
    L"\u30E1\u30A4\u30EA\u30AA",  // Meiryo, as Japanese Windows names it
    L"Meiryo",
    L"Meiryo UI",
    L"Yu Gothic UI",
    L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF",  // MS PGothic
    L"MS PGothic",
    L"Noto Sans CJK JP",
    L"Source Han Sans JP",
    L"IPAPGothic"};

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool systemHasFace(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, faceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// Looked up once a run: the system's fonts do not change under the windows.
const wchar_t* chosenFace(bool fixedPitch) {
  static const wchar_t* const fixed = [] {
    for (const wchar_t* face : kFixedFaces) {
      if (systemHasFace(face)) return face;
    }
    return *kFixedFaces.begin();
  }();
  static const wchar_t* const proportional = [] {
    for (const wchar_t* face : kProportionalFaces) {
      if (systemHasFace(face)) return face;
    }
    return *kProportionalFaces.begin();
  }();
  return fixedPitch ? fixed : proportional;
}

}  // namespace

HFONT japaneseFont(int pixels, bool fixedPitch) {
  LOGFONTW font{};
  font.lfHeight = -pixels;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  font.lfPitchAndFamily = static_cast<BYTE>(fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS);
  lstrcpynW(font.lfFaceName, chosenFace(fixedPitch), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HFONT japaneseFont(const FontDesign& design) { return japaneseFont(design.pixels, design.pitch == Pitch::fixed); }

int fontHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return metrics.tmHeight;
}

int halfWidthAdvance(HFONT font) {
  HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  SIZE full{};
  GetTextExtentPoint32W(screen, L"\u3042", 1, &full);  // hiragana a: one double-byte column pair
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return (full.cx + 1) / 2;
}

}  // namespace morvel
