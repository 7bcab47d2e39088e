#pragma once
// Conversion between the binary and the text form of the object stream.
//
// Both directions convert into a buffer of their own and hand it over only when the whole
// conversion succeeded, so a failure never leaves a partial result in the caller's target.

#include <QByteArray>

#include <memory>

class QIODevice;

// Whether data starts with the binary form's signature.
bool IsBinaryObjectStream(const QByteArray& data);

// Binary -> text. Fails with "Invalid stream format", "Stream read error" or
// "Error reading <object>.<property>: <tag>" for a value tag above 21 (EReadError family).
QByteArray ObjectBinaryToText(const QByteArray& binary);
// Text -> binary. Parse errors are EParserError "<message> on line <n>".
QByteArray ObjectTextToBinary(const QByteArray& text);

// Device forms: read the whole input, convert, and only then write the result to output.
// A failing write raises "Stream write error".
void ObjectBinaryToText(QIODevice& input, QIODevice& output);
void ObjectTextToBinary(QIODevice& input, QIODevice& output);

// A large text converted in pieces on worker threads, so that a reader can take the first
// pieces while later ones are still converting. The first piece holds the signature, the
// root's header and properties and its first children; each later one holds further
// children of the root, and the last one the end of the root. Joined, they are the binary
// of the one-pass conversion. Small texts, texts not laid out as the writer lays them out
// and machines with one core give no pieces (Empty): convert those in one pass.
class TTextToBinaryPieces {
public:
  TTextToBinaryPieces(const QByteArray& text, unsigned workers);
  ~TTextToBinaryPieces();  // stops the workers after their present piece
  TTextToBinaryPieces(const TTextToBinaryPieces&) = delete;
  TTextToBinaryPieces& operator=(const TTextToBinaryPieces&) = delete;

  bool Empty() const;
  // The next piece, waiting for it; false after the last. A piece that fails to convert,
  // or that does not start where a child of the root starts, throws: convert the whole
  // text in one pass then, which also gives a failure its true line.
  bool Next(QByteArray& piece);

private:
  void StopWorkers();

  struct TState;
  std::unique_ptr<TState> F;
};
