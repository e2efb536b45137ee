// Draws Morvel's pictures: the Version dialog's 160 x 32 banner and the
// application icon at the usual sizes. The PNG files it writes are kept in
// morvel/qt/images/; run it again to redraw them:
//   draw_images morvel/qt/images
// The Windows window takes the same pictures in Windows' forms (the icon
// as one .ico holding every size, the banner as a 24-bit bitmap), made from
// those PNG files and kept in morvel/win32/images/:
//   draw_images --windows morvel/qt/images morvel/win32/images
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <vector>

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

void putLittleEndian(QByteArray& bytes, quint32 value, int width) {
  for (int k = 0; k < width; ++k) bytes.append(static_cast<char>((value >> (8 * k)) & 0xFF));
}

// An icon file whose images are the PNG files as they are, which Windows
// reads since Vista.
bool writeIcon(const QDir& from, const QString& to) {
  const std::vector<int> sizes = {16, 32, 48, 64, 128, 256};
  std::vector<QByteArray> images;
  for (const int size : sizes) {
    QFile png(from.filePath(QStringLiteral("morvel-%1.png").arg(size)));
    if (!png.open(QIODevice::ReadOnly)) return false;
    images.push_back(png.readAll());
  }
  QByteArray icon;
  putLittleEndian(icon, 0, 2);  // reserved
  putLittleEndian(icon, 1, 2);  // an icon
  putLittleEndian(icon, static_cast<quint32>(sizes.size()), 2);
  auto offset = static_cast<quint32>(6 + 16 * sizes.size());
  for (std::size_t k = 0; k < sizes.size(); ++k) {
    const auto side = static_cast<quint32>(sizes[k] >= 256 ? 0 : sizes[k]);  // 0 stands for 256
    putLittleEndian(icon, side, 1);
    putLittleEndian(icon, side, 1);
    putLittleEndian(icon, 0, 2);   // no palette, reserved
    putLittleEndian(icon, 1, 2);   // planes
    putLittleEndian(icon, 32, 2);  // bits per pixel
    putLittleEndian(icon, static_cast<quint32>(images[k].size()), 4);
    putLittleEndian(icon, offset, 4);
    offset += static_cast<quint32>(images[k].size());
  }
  for (const QByteArray& image : images) icon.append(image);
  QFile out(to);
  return out.open(QIODevice::WriteOnly) && out.write(icon) == icon.size();
}

bool writeWindowsImages(const QDir& from, const QDir& to) {
  const QImage banner(from.filePath(QStringLiteral("version.png")));
  const bool bannerDone =
      !banner.isNull() &&
      banner.convertToFormat(QImage::Format_RGB888).save(to.filePath(QStringLiteral("version.bmp")), "BMP");
  return writeIcon(from, to.filePath(QStringLiteral("morvel.ico"))) && bannerDone;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc == 4 && QString::fromLatin1(argv[1]) == QStringLiteral("--windows")) {
    return writeWindowsImages(QDir(QString::fromLocal8Bit(argv[2])), QDir(QString::fromLocal8Bit(argv[3]))) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_images FOLDER\n       draw_images --windows PNG_FOLDER WINDOWS_FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  bool ok = banner().save(folder.filePath(QStringLiteral("version.png")));
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    ok = icon(size).save(folder.filePath(QStringLiteral("morvel-%1.png").arg(size))) && ok;
  }
  return ok ? 0 : 1;
}
