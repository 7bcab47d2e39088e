#pragma once
// Reading the published property lists declared with Q_PROPERTY, DGR_DEFAULT and DGR_STORED.

#include <QMetaProperty>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

class QObject;
struct QMetaObject;

enum class TPropertyKind { Integer, Char, Enumeration, Set, Float, String, Object, Int64, Boolean, Method, Other };

struct TPublishedProperty {
  QMetaProperty Meta;
  QString Name;
  TPropertyKind Kind = TPropertyKind::Other;
  // The declared default as written in DGR_DEFAULT (an enum key, a set "[a,b]", a number,
  // true/false); empty when none is declared.
  QString DeclaredDefault;
  // Index of the stored predicate method in the class's meta-object, -1 when none.
  int StoredMethod = -1;
};

// The published list of a class: its bases' lists first, then its own, in declaration order.
// Built once per class and cached.
const std::vector<TPublishedProperty>& PublishedProperties(const QMetaObject* meta);
const TPublishedProperty* FindPublishedProperty(const QMetaObject* meta, const QString& name);

// Whether object writes the property (constant STORED and the stored predicate).
bool IsPropertyStored(const QObject* object, const TPublishedProperty& property);
// The declared default converted to the property's integer value (ordinal, Boolean, set).
std::optional<qint64> DeclaredDefaultValue(const TPublishedProperty& property);
// Whether the property holds its default by the writer's rule for its type.
bool IsDefaultValue(const QObject* object, const TPublishedProperty& property);

// A default an owner class declares for a property of one of its sub-objects, by path:
// DGR_DEFAULT(Brush.Color, 0) in a block says what its own brush starts with, which may
// differ from the brush type's declared default. Empty when the owner declares none.
QString PathDefault(const QMetaObject* owner, const QString& path);
// The writer's default test for property (of object, reached from owner through path):
// the owner's path default when it declares one, else the property's own rule.
bool IsDefaultValueAt(const QMetaObject* owner, const QString& path, const QObject* object,
                      const TPublishedProperty& property);
