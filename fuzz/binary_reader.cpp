// Feeds arbitrary bytes to the binary reader (binary -> text); text that comes out must parse again.
#include "FuzzSupport.h"
#include "streaming/ObjectText.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QByteArray text;
  if (!RunCleanly([&] { text = ObjectBinaryToText(input); })) return 0;
  try {
    const QByteArray again = ObjectBinaryToText(ObjectTextToBinary(text));
    if (again.size() != text.size()) std::abort();
  } catch (const std::exception& e) {
    ReportFinding("text produced from binary does not convert back", e);
  }
  return 0;
}
