#pragma once
// Error types of the whole system. Every failure is an exception that carries the
// user-visible English message; callers show it and keep the user's data intact.

#include <QString>
#include <stdexcept>

class Exception : public std::runtime_error {
public:
  explicit Exception(const QString& message)
      : std::runtime_error(message.toStdString()), FMessage(message) {}
  const QString& Message() const { return FMessage; }

private:
  QString FMessage;
};

// Generic conversion failure ("Cannot assign a X to a Y.").
class EConvertError : public Exception { using Exception::Exception; };
// Reading or writing an object stream failed.
class EFilerError : public Exception { using Exception::Exception; };
class EReadError : public EFilerError { using EFilerError::EFilerError; };
class EWriteError : public EFilerError { using EFilerError::EFilerError; };
class EClassNotFound : public EFilerError { using EFilerError::EFilerError; };
// The object-stream text parser found a syntax error.
class EParserError : public Exception { using Exception::Exception; };
// A component name is not valid or already taken.
class EComponentError : public Exception { using Exception::Exception; };
// An index or count outside its range.
class EListError : public Exception { using Exception::Exception; };
// An operation that needs something that is not there ("Diagram not specified.").
class EInvalidOperation : public Exception { using Exception::Exception; };
