// dgr: the headless command-line tool of the diagram system.
#include "Commands.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <iterator>

namespace {

// Add new sub-commands here (declared in their own source files).
const TDgrCommand kCommands[] = {
    {"convert", "convert IN OUT [--to-text|--to-binary]", "Converts an object stream between its binary and text forms ('-' is stdin/stdout)", RunConvertCommand},
    {"render", "render IN.dgr OUT.png [--zoom N] [--engine gdi|gdiplus]", "Renders a diagram file into a PNG image, headless", RunRenderCommand},
    {"generate", "generate --blocks N --lines M [--seed S] OUT.dgr", "Writes a synthetic diagram file; the same seed gives the same file", RunGenerateCommand},
    {nullptr, nullptr, nullptr, nullptr},
};

void PrintHelp(QTextStream& out) {
  out << "Usage: dgr <command> [arguments]\n"
         "       dgr --help | --version\n\n"
         "Commands:\n";
  for (const TDgrCommand& c : kCommands) {
    if (!c.Name) continue;
    out << "  " << c.Usage << "\n      " << c.Summary << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Headless by design: diagrams are widgets, and rendering needs fonts but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
    PrintHelp(out);
    return args.isEmpty() ? 2 : 0;
  }
  if (args.first() == QLatin1String("--version")) {
    out << "dgr " << DIAGRAM_VERSION << "\n";
    return 0;
  }
  const QString name = args.takeFirst();
  for (const TDgrCommand& c : kCommands) {
    if (c.Name && name == QLatin1String(c.Name)) return c.Run(args, out, err);
  }
  err << "dgr: unknown command '" << name << "'. Try 'dgr --help'.\n";
  return 2;
}
