// dgr convert: converts an object stream between its binary and text forms.
#include "Commands.h"

#include "platform/Exceptions.h"
#include "streaming/ObjectText.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <optional>

namespace {

enum class TDirection { Detect, ToText, ToBinary };

struct TConvertArguments {
  QString Input;
  QString Output;
  TDirection Direction = TDirection::Detect;
};

const char kUsage[] = "Usage: dgr convert IN OUT [--to-text|--to-binary]  ('-' is stdin or stdout)\n";

std::optional<TConvertArguments> ParseArguments(const QStringList& args, QTextStream& err) {
  TConvertArguments parsed;
  QStringList positional;
  for (const QString& arg : args) {
    if (arg == QLatin1String("--to-text") || arg == QLatin1String("--to-binary")) {
      const TDirection direction = arg == QLatin1String("--to-text") ? TDirection::ToText : TDirection::ToBinary;
      if (parsed.Direction != TDirection::Detect && parsed.Direction != direction) {
        err << "dgr convert: --to-text and --to-binary exclude each other\n" << kUsage;
        return std::nullopt;
      }
      parsed.Direction = direction;
    } else if (!TakePositional("dgr convert", arg, positional, err, kUsage)) {
      return std::nullopt;
    }
  }
  if (positional.size() != 2) {
    err << kUsage;
    return std::nullopt;
  }
  parsed.Input = positional[0];
  parsed.Output = positional[1];
  return parsed;
}

QString DisplayName(const QString& path, const char* standardName) {
  return path == QLatin1String("-") ? QString::fromLatin1(standardName) : path;
}

std::optional<QByteArray> ReadInput(const QString& path, QTextStream& err) {
  QFile file;
  const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                 : (file.setFileName(path), file.open(QIODevice::ReadOnly));
  if (!opened) {
    err << "dgr convert: cannot read " << DisplayName(path, "standard input") << ": " << file.errorString() << "\n";
    return std::nullopt;
  }
  return file.readAll();
}

// The output file is written beside its final name and renamed only when complete.
bool WriteOutput(const QString& path, const QByteArray& data, QTextStream& err) {
  if (path == QLatin1String("-")) {
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush()) {
      err << "dgr convert: cannot write standard output\n";
      return false;
    }
    return true;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
    err << "dgr convert: cannot write " << path << ": " << file.errorString() << "\n";
    return false;
  }
  return true;
}

QByteArray Convert(const QByteArray& input, TDirection direction) {
  if (direction == TDirection::Detect)
    direction = IsBinaryObjectStream(input) ? TDirection::ToText : TDirection::ToBinary;
  return direction == TDirection::ToText ? ObjectBinaryToText(input) : ObjectTextToBinary(input);
}

}  // namespace

int RunConvertCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
  const std::optional<TConvertArguments> parsed = ParseArguments(args, err);
  if (!parsed) return 2;
  const std::optional<QByteArray> input = ReadInput(parsed->Input, err);
  if (!input) return 1;
  QByteArray converted;
  try {
    converted = Convert(*input, parsed->Direction);
  } catch (const Exception& e) {
    err << "dgr convert: " << DisplayName(parsed->Input, "standard input") << ": " << e.Message() << "\n";
    return 1;
  }
  return WriteOutput(parsed->Output, converted, err) ? 0 : 1;
}
