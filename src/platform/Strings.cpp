#include "platform/Strings.h"
#include "platform/Exceptions.h"

#include <algorithm>

namespace {
const QString SortedListError = QStringLiteral("Operation not allowed on sorted list");
}

int CompareText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive); }

// -------------------------------------------------------------------------------- TStrings

int TStrings::Add(const QString& text) {
  const int index = Count();
  Insert(index, text);
  return index;
}

void TStrings::AddStrings(const TStrings& other) {
  const QStringList lines = other.ToStringList();  // other may be this list
  BeginUpdate();
  try {
    for (const QString& line : lines) Add(line);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const QString& text) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareText(Get(i), text) == 0) return i;
  return -1;
}

void TStrings::Exchange(int index1, int index2) {
  const QString first = Get(index1);
  const QString second = Get(index2);
  BeginUpdate();
  try {
    Put(index1, second);
    Put(index2, first);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int fromIndex, int toIndex) {
  if (fromIndex == toIndex) return;
  const QString line = Get(fromIndex);
  if (toIndex < 0 || toIndex >= Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(toIndex));
  BeginUpdate();
  try {
    Delete(fromIndex);
    Insert(toIndex, line);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

QString TStrings::Text() const {
  QString text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += u'\n';
  }
  return text;
}

void TStrings::SetText(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype length = text.size();
  for (qsizetype i = 0; i < length; ++i) {
    const QChar c = text[i];
    if (c != u'\n' && c != u'\r') continue;
    lines << text.mid(start, i - start);
    if (c == u'\r' && i + 1 < length && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < length) lines << text.mid(start);
  SetStrings(lines);
}

QStringList TStrings::ToStringList() const {
  QStringList lines;
  lines.reserve(Count());
  for (int i = 0; i < Count(); ++i) lines << Get(i);
  return lines;
}

void TStrings::SetStrings(const QStringList& lines) {
  BeginUpdate();
  try {
    Clear();
    for (const QString& line : lines) Add(line);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) Changing();
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) Changed();
}

void TStrings::Changing() {
  if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TStrings::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TStrings::Assign(const TPersistent* source) {
  if (const auto* strings = qobject_cast<const TStrings*>(source)) {
    SetStrings(strings->ToStringList());
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler& filer) {
  filer.DefineProperty(
      QStringLiteral("Strings"), [this](TReader& reader) { ReadStrings(reader); },
      [this](TWriter& writer) { WriteStrings(writer); }, Count() > 0);
}

void TStrings::ReadStrings(TReader& reader) {
  reader.ReadListBegin();
  QStringList lines;
  while (!reader.EndOfList()) lines << reader.ReadString();
  reader.ReadListEnd();
  SetStrings(lines);
}

void TStrings::WriteStrings(TWriter& writer) const {
  writer.WriteListBegin();
  for (int i = 0; i < Count(); ++i) writer.WriteString(Get(i));
  writer.WriteListEnd();
}

// ----------------------------------------------------------------------------- TStringList

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TStringList::Get(int index) const {
  CheckIndex(index, Count() - 1);
  return FLines[index];
}

void TStringList::Put(int index, const QString& text) {
  if (FSorted) throw EListError(SortedListError);
  CheckIndex(index, Count() - 1);
  if (FLines[index] == text) return;
  Changing();
  FLines[index] = text;
  Changed();
}

void TStringList::Insert(int index, const QString& text) {
  if (FSorted) throw EListError(SortedListError);
  CheckIndex(index, Count());
  Changing();
  FLines.insert(index, text);
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count() - 1);
  Changing();
  FLines.removeAt(index);
  Changed();
}

void TStringList::Clear() {
  if (FLines.isEmpty()) return;
  Changing();
  FLines.clear();
  Changed();
}

int TStringList::InsertionPoint(const QString& text) const {
  auto it = std::upper_bound(FLines.cbegin(), FLines.cend(), text,
                             [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
  return static_cast<int>(it - FLines.cbegin());
}

int TStringList::Add(const QString& text) {
  if (!FSorted) return TStrings::Add(text);
  const int index = InsertionPoint(text);
  Changing();
  FLines.insert(index, text);
  Changed();
  return index;
}

int TStringList::IndexOf(const QString& text) const {
  if (!FSorted) return TStrings::IndexOf(text);
  auto it = std::lower_bound(FLines.cbegin(), FLines.cend(), text,
                             [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
  if (it == FLines.cend() || CompareText(*it, text) != 0) return -1;
  return static_cast<int>(it - FLines.cbegin());
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == FSorted) return;
  if (sorted) Sort();
  FSorted = sorted;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FLines.begin(), FLines.end(),
                   [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
  Changed();
}
