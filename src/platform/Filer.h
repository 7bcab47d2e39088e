#pragma once
// The interface through which an object adds custom properties to the object stream
// (its define-properties hook). The streaming library implements TReader, TWriter and
// TFiler; persistent classes only see these abstract views, so the lower layers do not
// depend on the stream format.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

class TCollection;

// Tags of the values in an object stream, numbered as stored.
enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent,
  vaFalse, vaTrue, vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle,
  vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String, vaDouble
};

// Reads tagged values of the custom property being read.
class TReader {
public:
  virtual ~TReader() = default;
  virtual TValueType NextValue() = 0;
  virtual int32_t ReadInteger() = 0;
  virtual int64_t ReadInt64() = 0;
  virtual double ReadFloat() = 0;
  virtual QString ReadString() = 0;
  virtual bool ReadBoolean() = 0;
  virtual QString ReadIdent() = 0;
  virtual void ReadListBegin() = 0;
  virtual bool EndOfList() = 0;
  virtual void ReadListEnd() = 0;
  // Reads a vaCollection value into the collection (cleared first).
  virtual void ReadCollection(TCollection* collection) = 0;
};

// Writes tagged values of the custom property being written.
class TWriter {
public:
  virtual ~TWriter() = default;
  virtual void WriteInteger(int64_t value) = 0;
  virtual void WriteFloat(double value) = 0;
  virtual void WriteString(const QString& value) = 0;
  virtual void WriteBoolean(bool value) = 0;
  virtual void WriteIdent(const QString& ident) = 0;
  virtual void WriteListBegin() = 0;
  virtual void WriteListEnd() = 0;
  virtual void WriteCollection(const TCollection* collection) = 0;
};

// Passed to DefineProperties: declares the custom properties of one object.
class TFiler {
public:
  virtual ~TFiler() = default;
  // An ordinary custom property of tagged values. It is written only when hasData is true.
  virtual void DefineProperty(const QString& name, const std::function<void(TReader&)>& readData,
                              const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
  // A binary custom property, stored as one vaBinary value.
  virtual void DefineBinaryProperty(const QString& name,
                                    const std::function<void(const QByteArray&)>& readData,
                                    const std::function<QByteArray()>& writeData, bool hasData) = 0;
};
