// Saves what an X window shows as a PNG file.
//
//   grab_window WINDOW OUTPUT.png
//
// WINDOW is the window's id, decimal or 0x-hexadecimal (as xdotool prints
// it); the PNG is compressed as far as Qt goes. Exits with 1 when the id
// cannot be read or the picture cannot be taken or saved.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  const QStringList arguments = QGuiApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: grab_window WINDOW OUTPUT.png\n");
    return 1;
  }
  bool ok = false;
  const WId window = static_cast<WId>(arguments.at(1).toULongLong(&ok, 0));
  if (!ok || window == 0) {
    std::fprintf(stderr, "grab_window: not a window id: %s\n", qPrintable(arguments.at(1)));
    return 1;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  const QPixmap picture = screen != nullptr ? screen->grabWindow(window) : QPixmap();
  if (picture.isNull()) {
    std::fprintf(stderr, "grab_window: cannot take a picture of window %s\n", qPrintable(arguments.at(1)));
    return 1;
  }
  if (!picture.toImage().save(arguments.at(2), "PNG", 0)) {
    std::fprintf(stderr, "grab_window: cannot write %s\n", qPrintable(arguments.at(2)));
    return 1;
  }
  return 0;
}
