// The diagram editor. For now: a main window showing a diagram, empty or read from the file
// named on the command line.
#include "document/DiagramLibrary.h"
#include "document/vxDiagram.h"
#include "platform/Exceptions.h"
#include "platform/WindowApplication.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

namespace {

void ShowErrorMessage(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  const QString message = own ? own->Message() : QString::fromLocal8Bit(error.what());
  QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Diagram Editor"));
  SetApplicationExceptionHandler(ShowErrorMessage);

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Diagram Editor"));
  auto* diagram = Create<TvxDiagram>(&window);
  diagram->SetName(QStringLiteral("Diagram"));
  window.setCentralWidget(diagram);
  window.resize(1024, 768);
  window.show();
  InitializeDiagramLibrary();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    try {
      diagram->LoadFromFile(arguments[1]);
      window.setWindowTitle(QStringLiteral("%1 - Diagram Editor").arg(arguments[1]));
    } catch (const std::exception& error) {
      ShowErrorMessage(error);  // the empty diagram stays open
    }
  }
  diagram->SetFocus();
  return app.exec();
}
