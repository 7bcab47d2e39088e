// dgr render: loads a diagram file and renders it into an image through the paint pass.
#include "Commands.h"

#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "platform/Canvas.h"
#include "platform/Exceptions.h"
#include "streaming/ObjectText.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace {

const char kUsage[] = "Usage: dgr render IN.dgr OUT.png [--zoom N] [--engine gdi|gdiplus]\n";

struct TRenderArguments {
  QString Input;
  QString Output;
  int Zoom = 100;
  TDgrGraphicLib Engine = dglGDIPlus;
};

std::optional<TRenderArguments> ParseArguments(const QStringList& args, QTextStream& err) {
  TRenderArguments parsed;
  QStringList positional;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--zoom") || arg == QLatin1String("--engine")) {
      if (i + 1 >= args.size()) {
        err << "dgr render: " << arg << " needs a value\n" << kUsage;
        return std::nullopt;
      }
      const QString value = args[++i];
      if (arg == QLatin1String("--zoom")) {
        bool ok = false;
        parsed.Zoom = value.toInt(&ok);
        if (!ok || parsed.Zoom < 1 || parsed.Zoom > 1000) {
          err << "dgr render: the zoom must be a whole percentage from 1 to 1000\n";
          return std::nullopt;
        }
      } else if (value == QLatin1String("gdi")) {
        parsed.Engine = dglGDI;
      } else if (value == QLatin1String("gdiplus")) {
        parsed.Engine = dglGDIPlus;
      } else {
        err << "dgr render: unknown engine '" << value << "' (gdi or gdiplus)\n";
        return std::nullopt;
      }
    } else if (!TakePositional("dgr render", arg, positional, err, kUsage)) {
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

QByteArray ReadInput(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw EFilerError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
  return file.readAll();
}

QImage Render(TvxDiagram* diagram) {
  const double ratio = diagram->ZoomRatio();
  const int width = std::clamp(Round((diagram->DiagramWidth() + 1) * ratio), 1, 32767);
  const int height = std::clamp(Round((diagram->DiagramHeight() + 1) * ratio), 1, 32767);
  QImage image = NewScreenImage(width, height, QImage::Format_ARGB32_Premultiplied);
  TCanvas canvas(&image);
  diagram->PaintTo(&canvas, psBitmap, {0, 0});
  canvas.Unbind();
  return image;
}

}  // namespace

int RunRenderCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
  const auto parsed = ParseArguments(args, err);
  if (!parsed) return 2;
  try {
    InitializeDiagramLibrary();
    const QByteArray data = ReadInput(parsed->Input);
    QWidget owner;
    auto* diagram = Create<TvxDiagram>(&owner);
    diagram->LoadFromBytes(data, !IsBinaryObjectStream(data));
    diagram->SetGraphicLib(parsed->Engine);
    diagram->SetZoom(parsed->Zoom);
    const QImage image = Render(diagram);
    QSaveFile file(parsed->Output);
    if (!file.open(QIODevice::WriteOnly)) throw EFilerError(QStringLiteral("Cannot create file \"%1\". %2").arg(parsed->Output, file.errorString()));
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || !file.commit())
      throw EFilerError(QStringLiteral("Cannot write file \"%1\". %2").arg(parsed->Output, writer.errorString()));
    out << "Rendered " << diagram->DControlCount() << " elements into " << image.width() << " x " << image.height()
        << " pixels: " << parsed->Output << "\n";
    return 0;
  } catch (const Exception& e) {
    err << "dgr render: " << e.Message() << "\n";
    return 1;
  }
}
