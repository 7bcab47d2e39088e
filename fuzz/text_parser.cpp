// Feeds arbitrary text to the text parser (text -> binary); binary that comes out must convert back.
#include "FuzzSupport.h"
#include "streaming/ObjectText.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QByteArray binary;
  if (!RunCleanly([&] { binary = ObjectTextToBinary(input); })) return 0;
  try {
    const QByteArray text = ObjectBinaryToText(binary);
    ObjectTextToBinary(text);
  } catch (const std::exception& e) {
    ReportFinding("binary produced from text does not convert back", e);
  }
  return 0;
}
