#pragma once
// Integer properties whose values may be written as identifiers. The stream writer asks
// IntIdentMapFor with the property's type name (QMetaProperty::typeName()) and uses the
// answer's pair of functions when there is one.

#include <QString>
#include <cstdint>

using TIntToIdent = bool (*)(int32_t value, QString& ident);
using TIdentToInt = bool (*)(const QString& ident, int32_t& value);

struct TIntIdentMap {
  TIntToIdent ToIdent = nullptr;
  TIdentToInt ToInt = nullptr;
};

// The map for "TColor", "TCursor" or "TFontCharset" (a namespace qualifier before the
// name is ignored); nullptr for every other type name.
const TIntIdentMap* IntIdentMapFor(const char* typeName);
