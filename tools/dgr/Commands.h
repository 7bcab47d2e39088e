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

// ConvertCommand.cpp
int RunConvertCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// RenderCommand.cpp
int RunRenderCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// GenerateCommand.cpp
int RunGenerateCommand(const QStringList& args, QTextStream& out, QTextStream& err);
