// What the main window and the dialogs share on Qt: the design's fonts, the
// icon, texts and paths as widgets show them, the screen, the clipboard and
// the manual. A path is decoded one way everywhere: as the file system names
// it (QFile::decodeName).
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

#include "display_text.h"
#include "window_design.h"
#include "window_services.h"

class QLabel;
class QWidget;

namespace morvel {

// The design's fonts, by their Japanese equivalents where installed.
QFont designedFont(const FontDesign& font);

// The application icon, at every size drawn.
QIcon morvelIcon();

// Shift_JIS bytes as the characters they are.
QString shownText(const DisplayText& display, std::string_view sjis);

// A path as the file system names it.
QString pathText(std::string_view path);

// The size of the screen `window` is on.
Size screenSizeOf(const QWidget& window);

// Puts Shift_JIS bytes on the clipboard as the characters they are.
void copyToClipboard(const DisplayText& display, std::string_view sjis);

// Opens the manual with the desktop's PDF viewer; where that cannot be done
// (no viewer, no manual) a message box beside `owner` names the manual.
void openManual(QWidget* owner, const QString& path);

// openManual for a path relative to the current folder.
void openDocumentBeside(QWidget* owner, std::string_view path);

// Makes a label's text fit its box: the font shrinks until it does.
void fitText(QLabel* label);

}  // namespace morvel
