#include "versionform.h"

namespace morvel {

TForm3::TForm3(DialogServices& services, const ProgramProfile& profile) : services_(services), profile_(profile) {}

void TForm3::FormCreate() {
  services_.setKeyPreview(true);
  const Size screen = services_.screenSize();
  services_.setBounds({(screen.width - kVersionDialogSize.width) / 2, (screen.height - kVersionDialogSize.height) / 2,
                       kVersionDialogSize.width, kVersionDialogSize.height});
  services_.setText("Label1", kProductLabel);
  services_.setText("Label2", kCopyrightLine);
}

void TForm3::SetVersionText(std::string_view version) {
  services_.setText("Label3", std::string(kVersionPrefix) + std::string(version));
}

void TForm3::FormKeyUp(Key key) {
  if (key == Key::escape) services_.hideDialog();
}

void TForm3::Button1Click() { services_.openDocument(helpDocumentPath(profile_)); }

}  // namespace morvel
