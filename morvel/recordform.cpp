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

// A Save's reports go where the dialog's go; its note is also shown in the
// dialog, whose label keeps the code pair.
class SaveReports final : public Reporter {
 public:
  SaveReports(Reporter& reports, DialogServices& dialog) : reports_(reports), dialog_(dialog) {}

  void error(std::string_view line) override { reports_.error(line); }
  void message(std::string_view subject, std::string_view text) override { reports_.message(subject, text); }
  void info(std::string_view line) override { reports_.info(line); }
  void note(std::string_view sentence) override {
    reports_.note(sentence);
    dialog_.showNote(sentence);
  }
  void standardError(std::string_view line) override { reports_.standardError(line); }
  void errorFileLine(std::string_view line) override { reports_.errorFileLine(line); }

 private:
  Reporter& reports_;
  DialogServices& dialog_;
};

}  // namespace

TForm2::TForm2(DialogServices& services, const FinalEffect& settings, Reporter& reporter)
    : services_(services),
      settings_(settings),
      profile_(profileFor(settings)),
      reporter_(reporter),
      search_{.no_searching = settings.no_searching, .whichTable = settings.whichTable} {}

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
  if (!setting({profile_, reporter_}, table, search_)) {
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
  SaveReports reports(reporter_, services_);
  // The edit reports its own failures; the dialog shows no result.
  static_cast<void>(editRecord({profile_, reports}, *substituted, *substitute, settings_.tableName, search_));
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
