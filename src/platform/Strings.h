#pragma once
// Lists of text lines. A string list streams its lines as the custom property `Strings`
// (a list of texts), written only when the list holds at least one line.

#include "platform/Graphics.h"

#include <QString>
#include <QStringList>

class TStrings : public TPersistent {
  Q_OBJECT
public:
  explicit TStrings(QObject* parent = nullptr) : TPersistent(parent) {}

  // Fired after (OnChange) and before (OnChanging) every modification outside an update.
  TChangeEvent OnChange;
  TChangeEvent OnChanging;

  virtual int Count() const = 0;
  // Raises EListError ("List index out of bounds (%d)") outside 0..Count-1.
  virtual QString Get(int index) const = 0;
  virtual void Put(int index, const QString& text) = 0;
  // index may be Count (append).
  virtual void Insert(int index, const QString& text) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // Appends the line and answers its index.
  virtual int Add(const QString& text);
  void AddStrings(const TStrings& other);
  QString Strings(int index) const { return Get(index); }
  QString operator[](int index) const { return Get(index); }
  bool IsEmpty() const { return Count() == 0; }
  // Index of the first line equal to text, compared without regard to case; -1 when none.
  virtual int IndexOf(const QString& text) const;
  void Exchange(int index1, int index2);
  void Move(int fromIndex, int toIndex);

  // Every line followed by a line feed.
  QString Text() const;
  // Splits at CR LF, LF or CR; a final line break does not start another line.
  void SetText(const QString& text);
  QStringList ToStringList() const;
  void SetStrings(const QStringList& lines);
  bool Equals(const TStrings& other) const;

  // Batches changes: OnChanging/OnChange fire once around the outermost pair.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void Assign(const TPersistent* source) override;
  void DefineProperties(TFiler& filer) override;

protected:
  void Changing();
  void Changed();

private:
  void ReadStrings(TReader& reader);
  void WriteStrings(TWriter& writer) const;
  int FUpdateCount = 0;
};

// Case-insensitive string comparison used by sorted lists and IndexOf.
int CompareText(const QString& a, const QString& b);

class TStringList : public TStrings {
  Q_OBJECT
public:
  explicit TStringList(QObject* parent = nullptr) : TStrings(parent) {}

  int Count() const override { return static_cast<int>(FLines.size()); }
  QString Get(int index) const override;
  // Raises EListError ("Operation not allowed on sorted list") on a sorted list.
  void Put(int index, const QString& text) override;
  void Insert(int index, const QString& text) override;
  void Delete(int index) override;
  void Clear() override;
  // On a sorted list the line goes to its place in the order.
  int Add(const QString& text) override;
  int IndexOf(const QString& text) const override;

  // A sorted list keeps its lines in CompareText order.
  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  void Sort();

private:
  void CheckIndex(int index, int limit) const;
  int InsertionPoint(const QString& text) const;
  QStringList FLines;
  bool FSorted = false;
};
