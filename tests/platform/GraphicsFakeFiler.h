#pragma once
// A filer that records the custom properties an object defines, with a token writer and
// reader, so the define-properties hooks can be tested without the stream library.

#include "platform/Filer.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <map>
#include <stdexcept>
#include <vector>

struct TRecordedProperty {
  std::function<void(TReader&)> Read;
  std::function<void(TWriter&)> Write;
  std::function<void(const QByteArray&)> ReadBinary;
  std::function<QByteArray()> WriteBinary;
  bool HasData = false;
  bool Binary = false;
};

class TRecordingFiler : public TFiler {
public:
  void DefineProperty(const QString& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override {
    Properties[name] = TRecordedProperty{readData, writeData, {}, {}, hasData, false};
  }
  void DefineBinaryProperty(const QString& name, const std::function<void(const QByteArray&)>& readData,
                            const std::function<QByteArray()>& writeData, bool hasData) override {
    Properties[name] = TRecordedProperty{{}, {}, readData, writeData, hasData, true};
  }
  std::map<QString, TRecordedProperty> Properties;
};

// Tokens: "(" and ")" for list brackets, otherwise values.
class TTokenWriter : public TWriter {
public:
  void WriteInteger(int64_t value) override { Tokens.push_back(QVariant::fromValue<qlonglong>(value)); }
  void WriteFloat(double value) override { Tokens.push_back(value); }
  void WriteString(const QString& value) override { Tokens.push_back(QStringLiteral("'") + value); }
  void WriteBoolean(bool value) override { Tokens.push_back(value); }
  void WriteIdent(const QString& ident) override { Tokens.push_back(ident); }
  void WriteListBegin() override { Tokens.push_back(QStringLiteral("(")); }
  void WriteListEnd() override { Tokens.push_back(QStringLiteral(")")); }
  void WriteCollection(const TCollection*) override { throw std::logic_error("not used"); }
  std::vector<QVariant> Tokens;
};

class TTokenReader : public TReader {
public:
  explicit TTokenReader(std::vector<QVariant> tokens) : Tokens(std::move(tokens)) {}
  TValueType NextValue() override {
    const QString t = Peek().toString();
    if (t == QStringLiteral("(")) return vaList;
    if (t == QStringLiteral(")")) return vaNull;
    return t.startsWith(u'\'') ? vaString : vaInt32;
  }
  int32_t ReadInteger() override { return static_cast<int32_t>(Next().toLongLong()); }
  int64_t ReadInt64() override { return Next().toLongLong(); }
  double ReadFloat() override { return Next().toDouble(); }
  QString ReadString() override {
    const QString t = Next().toString();
    if (!t.startsWith(u'\'')) throw std::runtime_error("not a string");
    return t.mid(1);
  }
  bool ReadBoolean() override { return Next().toBool(); }
  QString ReadIdent() override { return Next().toString(); }
  void ReadListBegin() override { Expect(QStringLiteral("(")); }
  bool EndOfList() override { return Peek().toString() == QStringLiteral(")"); }
  void ReadListEnd() override { Expect(QStringLiteral(")")); }
  void ReadCollection(TCollection*) override { throw std::logic_error("not used"); }
  bool AtEnd() const { return Position == Tokens.size(); }

private:
  const QVariant& Peek() const {
    if (Position >= Tokens.size()) throw std::runtime_error("read past end");
    return Tokens[Position];
  }
  QVariant Next() { QVariant v = Peek(); ++Position; return v; }
  void Expect(const QString& token) {
    if (Next().toString() != token) throw std::runtime_error("unexpected token");
  }
  std::vector<QVariant> Tokens;
  size_t Position = 0;
};
