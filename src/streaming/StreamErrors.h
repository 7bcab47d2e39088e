#pragma once
// Failures of the object stream. The texts are the user-visible messages.

#include "platform/Exceptions.h"

#include <QString>

namespace StreamMessages {
inline const char* const kInvalidStreamFormat = "Invalid stream format";
inline const char* const kStreamReadError = "Stream read error";
inline const char* const kStreamWriteError = "Stream write error";
inline const char* const kInvalidPropertyValue = "Invalid property value";
inline const char* const kInvalidPropertyPath = "Invalid property path";
inline const char* const kNestingTooDeep = "Nesting too deep";
}  // namespace StreamMessages

// A value tag outside 0..21. Its message is the tag number, so that the enclosing property
// context can report it as "Error reading <object>.<property>: <tag>".
class EInvalidValueTag : public EReadError {
public:
  explicit EInvalidValueTag(int tag) : EReadError(QString::number(tag)), FTag(tag) {}
  int Tag() const { return FTag; }

private:
  int FTag;
};

// A failure while reading one property, already worded "Error reading <object>.<property>: <why>".
class EPropertyReadError : public EReadError { using EReadError::EReadError; };

[[noreturn]] inline void ThrowReadError() { throw EReadError(QString::fromLatin1(StreamMessages::kStreamReadError)); }
[[noreturn]] inline void ThrowWriteError() { throw EWriteError(QString::fromLatin1(StreamMessages::kStreamWriteError)); }
[[noreturn]] inline void ThrowInvalidFormat() { throw EFilerError(QString::fromLatin1(StreamMessages::kInvalidStreamFormat)); }
[[noreturn]] inline void ThrowInvalidValue() { throw EReadError(QString::fromLatin1(StreamMessages::kInvalidPropertyValue)); }
[[noreturn]] inline void ThrowNestingTooDeep() { throw EReadError(QString::fromLatin1(StreamMessages::kNestingTooDeep)); }

// "Error reading %s%s%s: %s": the object name, a dot when both names are present, the property name.
inline QString PropertyErrorMessage(const QString& objectName, const QString& propertyName, const QString& inner) {
  const QString dot = (!objectName.isEmpty() && !propertyName.isEmpty()) ? QStringLiteral(".") : QString();
  return QStringLiteral("Error reading %1%2%3: %4").arg(objectName, dot, propertyName, inner);
}
