// Morvel's Version dialog without its toolkit: name, copyright and version,
// and the button that opens the manual.
#pragma once

#include <string>
#include <string_view>

#include "help_document.h"
#include "profile.h"
#include "window_services.h"

#include "morvel_texts.h"

namespace morvel {

inline constexpr Size kVersionDialogSize{166, 166};

class TForm3 {
 public:
  TForm3(DialogServices& services, const ProgramProfile& profile);

  void FormCreate();
  void SetVersionText(std::string_view version);
  void FormKeyUp(Key key);
  void Button1Click();

 private:
  DialogServices& services_;
  const ProgramProfile profile_;
};

}  // namespace morvel
