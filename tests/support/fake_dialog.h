// A dialog window in memory: its controls' texts and what was asked of it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "typed_text.h"
#include "window_services.h"

namespace testing_support {

class FakeDialog final : public morvel::DialogServices {
 public:
  // A keyboard types UTF-8; what the logic put there comes back as it is.
  std::optional<std::string> typedText(std::string_view control) const override {
    const auto found = texts.find(std::string(control));
    return morvel::shiftJisOfTyped(found == texts.end() ? std::string() : found->second);
  }
  void setText(std::string_view control, std::string_view text) override { texts[std::string(control)] = text; }
  void setKeyPreview(bool on) override { keyPreview = on; }
  void hideDialog() override { ++hides; }
  morvel::Size screenSize() const override { return {1920, 1080}; }
  void setBounds(const morvel::Bounds& b) override { bounds = b; }
  void setClipboardText(std::string_view text) override { clipboard = text; }
  void openDocument(const std::string& path) override { opened.push_back(path); }
  void showNote(std::string_view sentence) override { notes.emplace_back(sentence); }

  std::map<std::string, std::string> texts;
  bool keyPreview = false;
  int hides = 0;
  morvel::Bounds bounds;
  std::string clipboard = "untouched";
  std::vector<std::string> opened;
  std::vector<std::string> notes;
};

}  // namespace testing_support
