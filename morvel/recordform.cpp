// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "recordform.h"

#include <cstdio>

#include "codes.h"
#include "console.h"
#include "editors.h"
#include "locator.h"
#include "report_files.h"

namespace morvel {

namespace {

constexpr std::int32_t kFirstDoubleByteCode = 0x8140;

std::string lowerHex(std::int32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(code));
  return text;
}

// The code as the Save line writes it, or the marker of a missing one.
std::string savedCode(const std::optional<std::string>& text) {
  if (!text) return kNotInCodePage;
  const std::int32_t code = firstCharCode(*text);
  return code == kNoCode ? std::string(kNoCharacter) : upperHex(code);
}

}  // namespace

TForm2::TForm2(DialogServices& services, const FinalEffect& settings, Reporter& reporter)
    : services_(services),
      settings_(settings),
      profile_(profileFor(settings)),
      reporter_(reporter),
      whichTable_(settings.whichTable) {}

void TForm2::FormCreate() {
  services_.setKeyPreview(true);
  const Size screen = services_.screenSize();
  services_.setBounds({(screen.width - kRecordDialogSize.width) / 2, (screen.height - kRecordDialogSize.height) / 2,
                       kRecordDialogSize.width, kRecordDialogSize.height});
  services_.setText("Edit1", settings_.substituted);
  testKanji();
}

std::optional<std::string> TForm2::shiftJisOf(std::string_view control) const { return services_.typedText(control); }

void TForm2::showLabel(std::string text) {
  LabelText = std::move(text);
  services_.setText("Label1", LabelText);
}

void TForm2::testKanji() {
  SparseSJIS table;
  if (!setting({profile_, reporter_}, table, settings_.no_searching, &whichTable_)) {
    reporter_.error("testKanji() error: sjis->setting(no_searching, finalEffect->whichFile() ) ");
    return;
  }
  const std::optional<std::string> text = shiftJisOf("Edit1");
  if (!text) {
    showLabel(kNotInCodePage);
    return;
  }
  const std::int32_t code = firstCharCode(*text);
  if (code == kNoCode) {
    showLabel(kNoCharacter);
    return;
  }
  showLabel(lowerHex(code));
  std::string entry(1, static_cast<char>(table.entryByte(code, 0)));
  if (code >= kFirstDoubleByteCode) entry += static_cast<char>(table.entryByte(code, 1));
  entry.resize(entry.find('\0') == std::string::npos ? entry.size() : entry.find('\0'));  // ends at a zero byte
  services_.setText("Edit2", entry);
}

void TForm2::SaveRecord() {
  const std::optional<std::string> substituted = shiftJisOf("Edit1");
  const std::optional<std::string> substitute = shiftJisOf("Edit2");
  const std::string line = joinedParts({savedCode(substituted), kArrow, savedCode(substitute)});
  reporter_.info(line);  // "info.txt" records the request before the table changes
  showLabel(line);
  if (!substituted || !substitute || firstCharCode(*substituted) == kNoCode || firstCharCode(*substitute) == kNoCode) {
    return;
  }
  editRecord({profile_, reporter_}, *substituted, *substitute, settings_.tableName, settings_.no_searching,
             &whichTable_);
}

void TForm2::CopyLabelText() { services_.setClipboardText(LabelText); }

void TForm2::FormKeyUp(Key key) {
  switch (key) {
    case Key::escape:
      services_.hideDialog();
      break;
    case Key::home:
      testKanji();
      break;
    case Key::f8:
      CopyLabelText();
      break;
    default:
      break;
  }
}

void TForm2::Button1Click() { SaveRecord(); }

}  // namespace morvel
