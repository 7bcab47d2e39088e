// dgr generate: writes a synthetic but realistic diagram file (for benchmarks, demos and
// end-to-end tests). The same seed always gives the same file.
#include "Commands.h"

#include "document/DiagramGenerator.h"
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "platform/Exceptions.h"

#include <QWidget>
#include <optional>

namespace {

const char kUsage[] = "Usage: dgr generate --blocks N --lines M [--seed S] OUT.dgr\n";

struct TGenerateArguments {
  int Blocks = 0;
  int Lines = 0;
  quint32 Seed = 1;
  QString Output;
};

std::optional<int> ParseCount(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < 0 || value > 1000000) return std::nullopt;
  return value;
}

std::optional<TGenerateArguments> ParseArguments(const QStringList& args, QTextStream& err) {
  TGenerateArguments parsed;
  QStringList positional;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--blocks") || arg == QLatin1String("--lines") || arg == QLatin1String("--seed")) {
      if (i + 1 >= args.size()) {
        err << "dgr generate: " << arg << " needs a value\n" << kUsage;
        return std::nullopt;
      }
      const QString value = args[++i];
      if (arg == QLatin1String("--seed")) {
        bool ok = false;
        parsed.Seed = value.toUInt(&ok);
        if (!ok) {
          err << "dgr generate: the seed must be a whole number from 0 to 4294967295\n";
          return std::nullopt;
        }
        continue;
      }
      const auto count = ParseCount(value);
      if (!count) {
        err << "dgr generate: " << arg << " must be a whole number from 0 to 1000000\n";
        return std::nullopt;
      }
      (arg == QLatin1String("--blocks") ? parsed.Blocks : parsed.Lines) = *count;
    } else if (!TakePositional("dgr generate", arg, positional, err, kUsage)) {
      return std::nullopt;
    }
  }
  if (positional.size() != 1) {
    err << kUsage;
    return std::nullopt;
  }
  parsed.Output = positional[0];
  return parsed;
}

}  // namespace

int RunGenerateCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
  const auto parsed = ParseArguments(args, err);
  if (!parsed) return 2;
  try {
    InitializeDiagramLibrary();
    QWidget owner;
    auto* diagram = Create<TvxDiagram>(&owner);
    const TGenerateResult made = GenerateDiagram(diagram, &owner, {parsed->Blocks, parsed->Lines, parsed->Seed});
    diagram->SaveToFile(parsed->Output);
    out << "Generated " << made.Blocks << " blocks and " << made.Lines << " lines: " << parsed->Output << "\n";
    if (made.Lines < parsed->Lines) err << "dgr generate: no line class is registered; lines were left out\n";
    return 0;
  } catch (const Exception& e) {
    err << "dgr generate: " << e.Message() << "\n";
    return 1;
  }
}
