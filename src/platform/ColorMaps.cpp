#include "platform/ColorMaps.h"
#include "platform/Exceptions.h"
#include "platform/IdentMaps.h"

#include <cstring>

namespace {

constexpr uint32_t Bgr(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

struct TIdentEntry {
  int32_t Value;
  const char* Ident;
};

bool ValueToIdent(const TIdentEntry* begin, const TIdentEntry* end, int32_t value, QString& ident) {
  for (const TIdentEntry* e = begin; e != end; ++e)
    if (e->Value == value) {
      ident = QString::fromLatin1(e->Ident);
      return true;
    }
  return false;
}

bool IdentToValue(const TIdentEntry* begin, const TIdentEntry* end, const QString& ident, int32_t& value) {
  for (const TIdentEntry* e = begin; e != end; ++e)
    if (ident.size() == static_cast<qsizetype>(std::strlen(e->Ident)) &&
        ident.compare(QLatin1String(e->Ident), Qt::CaseInsensitive) == 0) {
      value = e->Value;
      return true;
    }
  return false;
}

constexpr TIdentEntry ColorIdents[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"}, {clMenuBar, "clMenuBar"},
};

// crNone and crSize have no identifier: they are written as numbers.
constexpr TIdentEntry CursorIdents[] = {
    {crDefault, "crDefault"}, {crArrow, "crArrow"}, {crCross, "crCross"}, {crIBeam, "crIBeam"},
    {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"}, {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"}, {crHourGlass, "crHourGlass"},
    {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"}, {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"}, {crNo, "crNo"},
    {crAppStart, "crAppStart"}, {crHelp, "crHelp"}, {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

constexpr TIdentEntry CharsetIdents[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"}, {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"}, {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"}, {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"}, {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"}, {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"},
};

template <size_t N>
bool ToIdent(const TIdentEntry (&table)[N], int32_t value, QString& ident) {
  return ValueToIdent(table, table + N, value, ident);
}
template <size_t N>
bool ToValue(const TIdentEntry (&table)[N], const QString& ident, int32_t& value) {
  return IdentToValue(table, table + N, ident, value);
}

constexpr uint32_t SystemColorMask = 0xFF000000u;
constexpr uint32_t FallbackSystemColor = Bgr(0, 0, 0);

}  // namespace

// A light desktop palette. Index 25 has no named colour; it resolves like an unknown index.
const uint32_t SystemColorPalette[SystemColorCount] = {
    Bgr(200, 200, 200),  // 0 clScrollBar
    Bgr(58, 110, 165),   // 1 clBackground
    Bgr(153, 180, 209),  // 2 clActiveCaption
    Bgr(191, 205, 219),  // 3 clInactiveCaption
    Bgr(240, 240, 240),  // 4 clMenu
    Bgr(255, 255, 255),  // 5 clWindow
    Bgr(100, 100, 100),  // 6 clWindowFrame
    Bgr(0, 0, 0),        // 7 clMenuText
    Bgr(0, 0, 0),        // 8 clWindowText
    Bgr(0, 0, 0),        // 9 clCaptionText
    Bgr(180, 180, 180),  // 10 clActiveBorder
    Bgr(244, 247, 252),  // 11 clInactiveBorder
    Bgr(171, 171, 171),  // 12 clAppWorkSpace
    Bgr(51, 153, 255),   // 13 clHighlight
    Bgr(255, 255, 255),  // 14 clHighlightText
    Bgr(240, 240, 240),  // 15 clBtnFace
    Bgr(160, 160, 160),  // 16 clBtnShadow
    Bgr(109, 109, 109),  // 17 clGrayText
    Bgr(0, 0, 0),        // 18 clBtnText
    Bgr(67, 78, 84),     // 19 clInactiveCaptionText
    Bgr(255, 255, 255),  // 20 clBtnHighlight
    Bgr(105, 105, 105),  // 21 cl3DDkShadow
    Bgr(227, 227, 227),  // 22 cl3DLight
    Bgr(0, 0, 0),        // 23 clInfoText
    Bgr(255, 255, 225),  // 24 clInfoBk
    FallbackSystemColor, // 25 (unnamed)
    Bgr(0, 102, 204),    // 26 clHotLight
    Bgr(185, 209, 234),  // 27 clGradientActiveCaption
    Bgr(215, 228, 242),  // 28 clGradientInactiveCaption
    Bgr(51, 153, 255),   // 29 clMenuHighlight
    Bgr(240, 240, 240),  // 30 clMenuBar
};

TColor ColorToRGB(TColor color) {
  const uint32_t value = static_cast<uint32_t>(color);
  if (color == clNone) return clWhite;
  if (color == clDefault) return static_cast<TColor>(SystemColorPalette[clWindowText & 0xFF]);
  if ((value & SystemColorMask) == SystemColorMask) {
    const uint32_t index = value & 0x00FFFFFFu;
    return static_cast<TColor>(index < SystemColorCount ? SystemColorPalette[index] : FallbackSystemColor);
  }
  return static_cast<TColor>(value & 0x00FFFFFFu);
}

QColor ColorToQColor(TColor color) {
  if (color == clNone) return QColor(0, 0, 0, 0);
  const TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor QColorToColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return RGBColor(static_cast<uint8_t>(rgb.red()), static_cast<uint8_t>(rgb.green()),
                  static_cast<uint8_t>(rgb.blue()));
}

bool ColorToIdent(int32_t color, QString& ident) { return ToIdent(ColorIdents, color, ident); }
bool IdentToColor(const QString& ident, int32_t& color) { return ToValue(ColorIdents, ident, color); }

QString ColorToString(TColor color) {
  QString ident;
  if (ColorToIdent(color, ident)) return ident;
  return QString::number(static_cast<int32_t>(color));
}

TColor StringToColor(const QString& text) {
  int32_t value = 0;
  if (IdentToColor(text, value)) return static_cast<TColor>(value);
  const QString trimmed = text.trimmed();
  bool ok = false;
  qint64 number = 0;
  if (trimmed.startsWith(u'$')) number = trimmed.mid(1).toLongLong(&ok, 16);
  else if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) number = trimmed.mid(2).toLongLong(&ok, 16);
  else number = trimmed.toLongLong(&ok, 10);
  // Both the signed and the unsigned spelling of a 32-bit value are accepted.
  if (!ok || number < INT32_MIN || number > static_cast<qint64>(UINT32_MAX))
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return static_cast<TColor>(static_cast<int32_t>(static_cast<uint32_t>(number)));
}

bool CursorToIdent(int32_t cursor, QString& ident) { return ToIdent(CursorIdents, cursor, ident); }
bool IdentToCursor(const QString& ident, int32_t& cursor) { return ToValue(CursorIdents, ident, cursor); }

bool CharsetToIdent(int32_t charset, QString& ident) { return ToIdent(CharsetIdents, charset, ident); }
bool IdentToCharset(const QString& ident, int32_t& charset) { return ToValue(CharsetIdents, ident, charset); }

const TIntIdentMap* IntIdentMapFor(const char* typeName) {
  static const TIntIdentMap colorMap{ColorToIdent, IdentToColor};
  static const TIntIdentMap cursorMap{CursorToIdent, IdentToCursor};
  static const TIntIdentMap charsetMap{CharsetToIdent, IdentToCharset};
  if (!typeName) return nullptr;
  const char* name = typeName;
  if (const char* qualifier = std::strrchr(typeName, ':')) name = qualifier + 1;
  if (std::strcmp(name, "TColor") == 0) return &colorMap;
  if (std::strcmp(name, "TCursor") == 0) return &cursorMap;
  if (std::strcmp(name, "TFontCharset") == 0) return &charsetMap;
  return nullptr;
}
