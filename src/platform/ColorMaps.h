#pragma once
// Colours resolved to RGB, and the identifier maps of colours, cursors and character sets.
//
// ColorToRGB resolves every 32-bit colour value to an explicit 0x00BBGGRR colour:
// - explicit colours (top byte 0) are returned unchanged;
// - system colours (0xFF000000 + index) come from a fixed light desktop palette
//   (SystemColorPalette below); an index without an entry resolves to black;
// - clNone resolves to white and clDefault to the window text colour (black), so callers
//   that need a real colour always get one; ColorToQColor(clNone) is fully transparent;
// - any other value with stray high bits keeps only its low 24 bits (the RGB part).
//
// The identifier functions follow one shape: XToIdent(value, ident) answers whether the
// value has a name; IdentToX(ident, value) accepts names in any letter case.

#include "platform/GraphicsTypes.h"

#include <QColor>
#include <QString>
#include <cstdint>

// Number of entries in the system colour palette (indices 0..30).
inline constexpr int SystemColorCount = 31;
// The palette in 0x00BBGGRR form, indexed by system colour number.
extern const uint32_t SystemColorPalette[SystemColorCount];

// An explicit 0x00BBGGRR colour for any value (see the rules above).
TColor ColorToRGB(TColor color);
inline TColor ColorToRGB(int32_t color) { return ColorToRGB(static_cast<TColor>(color)); }
// The resolved colour as an opaque QColor; clNone gives a transparent colour.
QColor ColorToQColor(TColor color);
// The explicit colour of a QColor (alpha dropped).
TColor QColorToColor(const QColor& color);
// Red, green and blue of an explicit colour.
inline uint8_t GetRValue(TColor color) { return static_cast<uint8_t>(color & 0xFF); }
inline uint8_t GetGValue(TColor color) { return static_cast<uint8_t>((color >> 8) & 0xFF); }
inline uint8_t GetBValue(TColor color) { return static_cast<uint8_t>((color >> 16) & 0xFF); }

bool ColorToIdent(int32_t color, QString& ident);
bool IdentToColor(const QString& ident, int32_t& color);
// The identifier when the colour has one, otherwise the decimal value.
QString ColorToString(TColor color);
// Accepts an identifier or a number (decimal, or hexadecimal written $1F or 0x1F).
// Raises EConvertError ("'%s' is not a valid integer value") for anything else.
TColor StringToColor(const QString& text);

bool CursorToIdent(int32_t cursor, QString& ident);
bool IdentToCursor(const QString& ident, int32_t& cursor);

bool CharsetToIdent(int32_t charset, QString& ident);
bool IdentToCharset(const QString& ident, int32_t& charset);
