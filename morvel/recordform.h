// Morvel's Record dialog without its toolkit: it shows what the Shift_JIS
// table makes of a character and gives one character the EUC-JP table
// entry of another.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "locator.h"
#include "options.h"
#include "profile.h"
#include "reporter.h"
#include "window_services.h"

#include "morvel_texts.h"

namespace morvel {

inline constexpr Size kRecordDialogSize{143, 142};

// What the label shows for a text without a complete character, and for a
// character that code page 932 cannot write; nothing is looked up for either.

class TForm2 {
 public:
  TForm2(DialogServices& services, const FinalEffect& settings, Reporter& reporter);

  void FormCreate();
  void FormKeyUp(Key key);
  void Button1Click();

  const std::string& labelText() const { return LabelText; }

 private:
  void testKanji();
  void SaveRecord();
  void CopyLabelText();
  void showLabel(std::string text);
  // The edit's text as Shift_JIS bytes; nothing when it was refused.
  [[nodiscard]] std::optional<std::string> shiftJisOf(std::string_view control) const;

  DialogServices& services_;
  const FinalEffect settings_;
  const ProgramProfile profile_;
  Reporter& reporter_;
  SearchSwitches search_;  // the search reports the table it found once
  std::string LabelText;
};

}  // namespace morvel
