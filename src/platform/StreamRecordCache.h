#pragma once
// Kept stream records: an object that can hand the writer the bytes it wrote last time.

#include <QByteArray>
#include <QByteArrayView>

// A child whose written record (header, properties and children, up to its closing
// end-of-list) stays valid until the child or something it refers to changes. The child
// forgets a kept record itself when that happens.
class IStreamRecordCache {
public:
  virtual ~IStreamRecordCache() = default;
  // The record kept under key; empty when there is none or it went stale.
  virtual QByteArrayView KeptStreamRecord(const void* key) const = 0;
  virtual void KeepStreamRecord(const void* key, QByteArray record) = 0;
};

// Checking mode (the test suite turns it on): every reused record is compared with a fresh
// write, and a difference raises std::logic_error naming the object. Off by default.
inline bool& StreamRecordCheck() {
  static bool check = false;
  return check;
}
