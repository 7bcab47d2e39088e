#pragma once
// The sub-commands of dgr. Each lives in its own source file and is listed in main.cpp.

#include <QStringList>
#include <QTextStream>

struct TDgrCommand {
  const char* Name;
  const char* Usage;    // one line: "convert IN OUT [--text|--binary]"
  const char* Summary;  // one line of help
  // Runs with the arguments after the command name; returns the process exit code.
  int (*Run)(const QStringList& args, QTextStream& out, QTextStream& err);
};

// For the commands' argument loops: an argument that is none of the command's options is
// a positional one, unless it looks like an option; that is reported with the usage and
// answers false.
inline bool TakePositional(const char* command, const QString& arg, QStringList& positional, QTextStream& err,
                           const char* usage) {
  if (arg.startsWith(QLatin1String("--"))) {
    err << command << ": unknown option '" << arg << "'\n" << usage;
    return false;
  }
  positional << arg;
  return true;
}

// ConvertCommand.cpp
int RunConvertCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// RenderCommand.cpp
int RunRenderCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// GenerateCommand.cpp
int RunGenerateCommand(const QStringList& args, QTextStream& out, QTextStream& err);
