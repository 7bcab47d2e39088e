#pragma once
// Small helpers shared by the streaming tests.

#include "platform/Exceptions.h"
#include "streaming/ValueWriter.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <functional>
#include <string>

// "54 50 46 30" -> bytes; white space and line breaks between pairs are ignored.
inline QByteArray Hex(const char* text) {
  QByteArray compact;
  for (const char* p = text; *p; ++p)
    if (!QChar::isSpace(static_cast<unsigned char>(*p))) compact.append(*p);
  return QByteArray::fromHex(compact);
}

inline std::string ToHex(const QByteArray& bytes) { return bytes.toHex(' ').toUpper().toStdString(); }

// The message of the exception of type E thrown by action; fails the test when none is thrown.
template <class E>
QString MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unexpected exception type: " << e.what();
    return {};
  }
  ADD_FAILURE() << "no exception thrown";
  return {};
}

inline std::string Str(const QString& s) { return s.toStdString(); }

// The binary stream of a root with many children, large enough to convert in pieces. Child
// i is "object K<i>: TKid" with a text and a float and one "TInner" child; the last child
// is named "Kü", and child badChild (when given) has an invalid value tag.
inline QByteArray ManyChildren(int count, int badChild = -1) {
  QByteArray out;
  TValueWriter w(out);
  w.WriteSignature();
  w.WriteObjectHeader(0, 0, "TRoot", "Root");
  w.WriteShortString("P");
  w.WriteInteger(1);
  w.WriteEndOfList();
  for (int i = 0; i < count; ++i) {
    w.WriteObjectHeader(0, 0, "TKid", i + 1 == count ? std::string("K\xC3\xBC") : "K" + std::to_string(i));
    w.WriteShortString("Text");
    w.WriteText(QStringLiteral("kid %1").arg(i));
    w.WriteShortString("Left");
    if (i == badChild) w.WriteByte(22);
    else w.WriteExtended(i * 0.5);
    w.WriteEndOfList();
    w.WriteObjectHeader(0, 0, "TInner", "I" + std::to_string(i));
    w.WriteEndOfList();
    w.WriteEndOfList();
    w.WriteEndOfList();
  }
  w.WriteEndOfList();
  return out;
}
