#pragma once
// Small helpers shared by the streaming tests.

#include "platform/Exceptions.h"

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
