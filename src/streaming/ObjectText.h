#pragma once
// Conversion between the binary and the text form of the object stream.
//
// Both directions convert into a buffer of their own and hand it over only when the whole
// conversion succeeded, so a failure never leaves a partial result in the caller's target.

#include <QByteArray>

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
