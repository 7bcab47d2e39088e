// Feeds arbitrary bytes to the binary readers: the converter (binary -> text), whose text
// must parse again, and the component reader onto a plain component root.
#include "FuzzSupport.h"
#include "platform/Component.h"
#include "streaming/ComponentStream.h"
#include "streaming/ObjectText.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = (RegisterClass<TComponent>(), true);
  (void)registered;
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    TComponent root;
    RunCleanly([&] { ReadComponent(input, &root); });
  }
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
