// Draws Morvel's pictures: the Version dialog's 160 x 32 banner and the
// application icon at the usual sizes. The PNG files it writes are kept in
// morvel/qt/images/; run it again to redraw them:
//   draw_images morvel/qt/images
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// A sheet of paper handing its corner over: a hand-off, in two colours.
QImage icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  QLinearGradient back(0, 0, s, s);
  back.setColorAt(0, QColor(0x1F, 0x4E, 0x8C));
  back.setColorAt(1, QColor(0x2E, 0x86, 0x72));
  painter.setBrush(back);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
  QPainterPath sheet;
  sheet.moveTo(s * 0.24, s * 0.16);
  sheet.lineTo(s * 0.62, s * 0.16);
  sheet.lineTo(s * 0.78, s * 0.32);
  sheet.lineTo(s * 0.78, s * 0.84);
  sheet.lineTo(s * 0.24, s * 0.84);
  sheet.closeSubpath();
  painter.setBrush(QColor(0xFA, 0xFA, 0xF5));
  painter.drawPath(sheet);
  painter.setBrush(QColor(0xF2, 0xB1, 0x34));
  painter.drawEllipse(QPointF(s * 0.51, s * 0.58), s * 0.15, s * 0.15);
  if (size >= 32) {
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x8C), s * 0.04));
    for (int line = 0; line < 3; ++line) {
      const qreal y = s * (0.30 + 0.08 * line);
      painter.drawLine(QPointF(s * 0.32, y), QPointF(s * (line == 0 ? 0.56 : 0.68), y));
    }
  }
  return image;
}

QImage banner() {
  QImage image(160, 32, QImage::Format_RGB888);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient back(0, 0, 160, 0);
  back.setColorAt(0, QColor(0x1F, 0x4E, 0x8C));
  back.setColorAt(1, QColor(0x2E, 0x86, 0x72));
  painter.fillRect(image.rect(), back);
  painter.drawImage(QPoint(4, 4), icon(24));
  QFont font(QStringLiteral("Noto Sans CJK JP"));
  font.setPixelSize(17);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(34, 0, 126, 32), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Morvel"));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_images FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  bool ok = banner().save(folder.filePath(QStringLiteral("version.png")));
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    ok = icon(size).save(folder.filePath(QStringLiteral("morvel-%1.png").arg(size))) && ok;
  }
  return ok ? 0 : 1;
}
