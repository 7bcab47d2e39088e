#pragma once
// Integer-valued types whose stream form may be an identifier. They are plain enums (not
// Q_ENUMs) so that a property's type name (TColor, TCursor, TFontCharset) survives in the
// meta-object and selects the identifier map, while values stay ordinary integers.

#include <cstdint>

// 0x00BBGGRR for an explicit colour; 0xFF000000 + index for a system colour.
enum TColor : int32_t {
  clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
  clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
  clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
  clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
  clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
  clNone = 0x1FFFFFFF, clDefault = 0x20000000,
  clSystemColor = static_cast<int32_t>(0xFF000000),
  clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1,
  clActiveCaption = clSystemColor | 2, clInactiveCaption = clSystemColor | 3,
  clMenu = clSystemColor | 4, clWindow = clSystemColor | 5, clWindowFrame = clSystemColor | 6,
  clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8, clCaptionText = clSystemColor | 9,
  clActiveBorder = clSystemColor | 10, clInactiveBorder = clSystemColor | 11,
  clAppWorkSpace = clSystemColor | 12, clHighlight = clSystemColor | 13,
  clHighlightText = clSystemColor | 14, clBtnFace = clSystemColor | 15,
  clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17, clBtnText = clSystemColor | 18,
  clInactiveCaptionText = clSystemColor | 19, clBtnHighlight = clSystemColor | 20,
  cl3DDkShadow = clSystemColor | 21, cl3DLight = clSystemColor | 22, clInfoText = clSystemColor | 23,
  clInfoBk = clSystemColor | 24, clHotLight = clSystemColor | 26,
  clGradientActiveCaption = clSystemColor | 27, clGradientInactiveCaption = clSystemColor | 28,
  clMenuHighlight = clSystemColor | 29, clMenuBar = clSystemColor | 30,
};

inline TColor MakeColor(int32_t value) { return static_cast<TColor>(value); }
inline TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

// Cursor numbers; 0 and the negative built-in shapes.
enum TCursor : int32_t {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -5,
  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
  crHandPoint = -21, crSizeAll = -22,
};

enum TFontCharset : int32_t {
  ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77,
  SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130, GB2312_CHARSET = 134,
  CHINESEBIG5_CHARSET = 136, GREEK_CHARSET = 161, TURKISH_CHARSET = 162, HEBREW_CHARSET = 177,
  ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204, THAI_CHARSET = 222,
  EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255,
};
