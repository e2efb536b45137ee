// makepdf: typesets a Markdown file into an A4 PDF with Qt's text engine.
// Usage: makepdf input.md output.pdf
//
// The text is set in a Japanese font so that Japanese characters come out
// in their Japanese forms and are embedded; the first level-one heading
// becomes the PDF's title and the running head. Pages carry their number.
// The PDF replaces the output whole or not at all.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr int kResolution = 300;  // dots per inch of the PDF's coordinates
constexpr double kMillimetresPerInch = 25.4;

// Page geometry in millimetres.
constexpr double kSideMargin = 20;
constexpr double kTopMargin = 18;
constexpr double kBottomMargin = 20;
constexpr double kHeadLine = 11;  // baseline of the running head, from the top edge
constexpr double kFootLine = 11;  // baseline of the page number, from the bottom edge

constexpr qreal kBodyPoints = 10;
constexpr qreal kCodePoints = 9;
constexpr qreal kHeadPoints = 8;

const QColor kCodeBackground(0xF2, 0xF2, 0xF2);
const QColor kRuleColour(0x99, 0x99, 0x99);
// Table rules and cell padding, in pixels of 1/96 inch that the layout
// scales to the PDF's resolution.
constexpr qreal kRuleWidth = 0.75;
constexpr qreal kCellPadding = 2;
constexpr qreal kTableGap = 6;  // below a table

void fail(const QString& message) { std::fprintf(stderr, "makepdf: %s\n", qPrintable(message)); }

qreal dots(double millimetres) { return millimetres * kResolution / kMillimetresPerInch; }

// A family that has Japanese glyphs, the Japanese Noto fonts first.
QString japaneseFamily(bool fixedPitch) {
  const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
  const QStringList preferred = fixedPitch ? QStringList{QStringLiteral("Noto Sans Mono CJK JP")}
                                           : QStringList{QStringLiteral("Noto Sans CJK JP")};
  for (const QString& family : preferred) {
    if (families.contains(family)) return family;
  }
  if (fixedPitch) {
    for (const QString& family : families) {
      if (QFontDatabase::isFixedPitch(family)) return family;
    }
  }
  return families.isEmpty() ? QString() : families.first();
}

// The text of the first level-one heading, or an empty text.
QString titleOf(const QString& markdown) {
  for (const QString& line : markdown.split(QLatin1Char('\n'))) {
    if (line.startsWith(QLatin1String("# "))) return line.mid(2).trimmed();
  }
  return {};
}

// Indented and fenced code blocks alike carry a code language, if empty.
bool isCodeBlock(const QTextBlock& block) {
  const QTextBlockFormat format = block.blockFormat();
  return format.hasProperty(QTextFormat::BlockCodeFence) || format.hasProperty(QTextFormat::BlockCodeLanguage);
}

// Sets code in the fixed-pitch Japanese family on a grey ground, and gives
// tables thin ruled borders.
void styleDocument(QTextDocument& document, const QString& codeFamily) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const bool code = isCodeBlock(block);
    if (code) {
      QTextCursor cursor(block);
      QTextBlockFormat format;
      format.setBackground(kCodeBackground);
      format.setNonBreakableLines(true);
      cursor.mergeBlockFormat(format);
    }
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
      const QTextFragment piece = fragment.fragment();
      if (!code && !piece.charFormat().fontFixedPitch()) continue;
      QTextCursor cursor(&document);
      cursor.setPosition(piece.position());
      cursor.setPosition(piece.position() + piece.length(), QTextCursor::KeepAnchor);
      QTextCharFormat format;
      format.setFontFamilies({codeFamily});
      format.setFontFixedPitch(true);
      if (code) format.setFontPointSize(kCodePoints);
      cursor.mergeCharFormat(format);
    }
  }
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(frame);
    if (table == nullptr) continue;
    QTextTableFormat format = table->format();
    format.setBorder(kRuleWidth);
    format.setBorderBrush(kRuleColour);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(kCellPadding);
    format.setCellSpacing(0);
    format.setBottomMargin(kTableGap);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setHeaderRowCount(1);  // repeated on every page the table reaches
    table->setFormat(format);
    // Collapsed borders are drawn from the cells' own formats.
    for (int row = 0; row < table->rows(); ++row) {
      for (int column = 0; column < table->columns(); ++column) {
        QTextTableCell cell = table->cellAt(row, column);
        QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        cellFormat.setBorder(kRuleWidth);
        cellFormat.setBorderBrush(kRuleColour);
        cellFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        if (row == 0) cellFormat.setBackground(kCodeBackground);
        cell.setFormat(cellFormat);
      }
    }
  }
}

// True when `bounds` starts on a page, not at its top, with less than
// `reserve` between its end and the foot of the page.
bool endsTooLow(const QRectF& bounds, qreal pageHeight, qreal reserve) {
  const qreal top = std::fmod(bounds.top(), pageHeight);
  return top > 0 && pageHeight - top - bounds.height() < reserve;
}

// Keeps headings and the heads of tables off the foot of a page: a heading
// with less than `reserve` below it, or a table with less than that below
// its header, moves to the next page. The whole document is laid out again
// after each move: the layout's own update misses the blocks after a table.
void keepHeadsWithText(QTextDocument& document, qreal pageHeight, qreal reserve) {
  QAbstractTextDocumentLayout* layout = document.documentLayout();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (QTextTable* table = QTextCursor(block).currentTable()) {
      if (block != table->cellAt(0, 0).firstCursorPosition().block()) continue;
      if (!endsTooLow(layout->blockBoundingRect(block), pageHeight, reserve)) continue;
      QTextTableFormat format = table->format();
      format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      table->setFormat(format);
    } else {
      if (block.blockFormat().headingLevel() == 0) continue;
      if (!endsTooLow(layout->blockBoundingRect(block), pageHeight, reserve)) continue;
      QTextBlockFormat format;
      format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      QTextCursor(block).mergeBlockFormat(format);
    }
    document.markContentsDirty(0, document.characterCount());
  }
}

bool writePdf(QTextDocument& document, const QString& title, const QString& family, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return false;
  }
  QPdfWriter writer(&file);
  writer.setResolution(kResolution);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  writer.setTitle(title);
  writer.setCreator(QStringLiteral("makepdf"));

  const QRectF page(QPointF(0, 0), QSizeF(dots(210), dots(297)));
  const QRectF body(dots(kSideMargin), dots(kTopMargin), page.width() - 2 * dots(kSideMargin),
                    page.height() - dots(kTopMargin) - dots(kBottomMargin));
  document.documentLayout()->setPaintDevice(&writer);
  document.setDocumentMargin(0);
  document.setPageSize(body.size());
  keepHeadsWithText(document, body.height(), 3 * QFontMetricsF(document.defaultFont(), &writer).lineSpacing());
  const int pages = document.pageCount();

  QPainter painter;
  if (!painter.begin(&writer)) {
    fail(QStringLiteral("cannot start the PDF %1").arg(path));
    return false;
  }
  QFont headFont(family);
  headFont.setPointSizeF(kHeadPoints);
  headFont.setStyleStrategy(QFont::PreferNoShaping);
  for (int index = 0; index < pages; ++index) {
    if (index > 0) writer.newPage();
    painter.save();
    painter.translate(body.left(), body.top() - index * body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, index * body.height(), body.width(), body.height());
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();

    painter.setFont(headFont);
    painter.setPen(Qt::darkGray);
    if (index > 0 && !title.isEmpty()) {
      painter.drawText(QPointF(body.left(), dots(kHeadLine)), title);
      painter.drawLine(QPointF(body.left(), dots(kHeadLine + 2)), QPointF(body.right(), dots(kHeadLine + 2)));
    }
    const QString number = QStringLiteral("%1 / %2").arg(index + 1).arg(pages);
    const qreal width = painter.fontMetrics().horizontalAdvance(number);
    painter.drawText(QPointF(page.center().x() - width / 2, page.height() - dots(kFootLine)), number);
  }
  if (!painter.end()) {
    fail(QStringLiteral("cannot finish the PDF %1").arg(path));
    return false;
  }
  if (!file.commit()) {
    fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: makepdf input.md output.pdf\n");
    return kExitUsage;
  }
  // A build machine need not have a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);

  const QString inputPath = QString::fromLocal8Bit(argv[1]);
  const QString outputPath = QString::fromLocal8Bit(argv[2]);
  QFile input(inputPath);
  if (!input.open(QIODevice::ReadOnly)) {
    fail(QStringLiteral("cannot read %1: %2").arg(inputPath, input.errorString()));
    return kExitFailure;
  }
  const QString markdown = QString::fromUtf8(input.readAll());
  if (input.error() != QFileDevice::NoError) {
    fail(QStringLiteral("cannot read %1: %2").arg(inputPath, input.errorString()));
    return kExitFailure;
  }

  const QString family = japaneseFamily(false);
  const QString codeFamily = japaneseFamily(true);
  if (family.isEmpty()) {
    fail(QStringLiteral("no font with Japanese characters found (install fonts-noto-cjk)"));
    return kExitFailure;
  }
  QString title = titleOf(markdown);
  if (title.isEmpty()) title = QFileInfo(inputPath).completeBaseName();

  QTextDocument document;
  QFont font(family);
  font.setPointSizeF(kBodyPoints);
  // Glyphs straight from the character map: the PDF then maps every glyph
  // back to its character, so that the text can be searched and copied.
  // (Shaped Latin glyphs of the CJK fonts lose their characters.)
  font.setStyleStrategy(QFont::PreferNoShaping);
  document.setDefaultFont(font);
  document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
  document.setMetaInformation(QTextDocument::DocumentTitle, title);
  styleDocument(document, codeFamily);
  return writePdf(document, title, family, outputPath) ? 0 : kExitFailure;
}
