#include "widget_support.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <QWidget>

// Pictures compiled into a static library reach the program only when asked
// for by name, from the global namespace.
static void initImages() { Q_INIT_RESOURCE(images); }

namespace morvel {

namespace {

QFont fontOf(const QString& family, QFont::StyleHint hint, int pixels) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixels);
  return font;
}

// The desktop's default program for PDF files, where the desktop can say;
// true when it cannot.
bool pdfViewerKnown() {
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf")});
  if (!query.waitForStarted(2000)) return true;
  if (!query.waitForFinished(2000)) return true;
  return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

QFont designedFont(const FontDesign& font) {
  if (font.pitch == Pitch::fixed) {
    return fontOf(QStringLiteral("Noto Sans Mono CJK JP"), QFont::Monospace, font.pixels);
  }
  return fontOf(QStringLiteral("Noto Sans CJK JP"), QFont::SansSerif, font.pixels);
}

QIcon morvelIcon() {
  static const bool loaded = (initImages(), true);
  (void)loaded;
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/morvel/morvel-%1.png").arg(size));
  return icon;
}

QString shownText(const DisplayText& display, std::string_view sjis) {
  return QString::fromStdString(display.utf8(sjis));
}

QString pathText(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

Size screenSizeOf(const QWidget& window) {
  const QRect area = window.screen()->geometry();
  return {area.width(), area.height()};
}

void copyToClipboard(const DisplayText& display, std::string_view sjis) {
  QGuiApplication::clipboard()->setText(shownText(display, sjis));
}

void openManual(QWidget* owner, const QString& path) {
  if (QFile::exists(path) && pdfViewerKnown() && QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromLatin1(kProductLabel),
                              QStringLiteral("The manual could not be shown: no program for PDF files was found, or "
                                             "the file is missing.\n\n%1")
                                  .arg(QDir::toNativeSeparators(path)),
                              QMessageBox::Ok, owner);
  box->setObjectName(QStringLiteral("ManualNotShown"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void openDocumentBeside(QWidget* owner, std::string_view path) {
  openManual(owner, QDir::current().absoluteFilePath(pathText(path)));
}

void fitText(QLabel* label) {
  QVariant designed = label->property("designedPixels");
  if (!designed.isValid()) {
    designed = label->font().pixelSize();
    label->setProperty("designedPixels", designed);
  }
  QFont font = label->font();
  const QString text = label->text();
  for (int pixels = designed.toInt(); pixels >= 6; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= label->width() && metrics.height() <= label->height()) break;
  }
  label->setFont(font);
}

}  // namespace morvel
