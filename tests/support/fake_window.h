// A window system in memory for the window logic: it keeps what the logic
// set and says what the tests choose.
#pragma once

#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "window_services.h"

namespace testing_support {

struct FakeTimer {
  int intervalMs = 0;
  bool enabled = false;
};

class FakeWindow final : public morvel::WindowServices {
 public:
  static constexpr int kMenuHeight = 20;
  static constexpr int kStatusHeight = 19;

  void setCaption(std::string_view text) override { caption = text; }
  void setMemoText(std::string_view text) override {
    if (failMemo) throw std::bad_alloc();
    memo = text;
  }
  void setStatusText(std::string_view text) override { status = text; }
  void setStatusPath(std::string_view path) override { status = path; }
  void setKeyPreview(bool on) override { keyPreview = on; }
  void closeWindow() override { ++closeRequests; }
  void setTimer(morvel::TimerId timer, int intervalMs, bool enabled) override { timers[timer] = {intervalMs, enabled}; }
  morvel::Bounds windowBounds() const override { return bounds; }
  morvel::Size clientSize() const override { return {bounds.width, bounds.height - kMenuHeight}; }
  void setWindowBounds(const morvel::Bounds& b) override { bounds = b; }
  morvel::Size screenSize() const override { return screen; }
  void restoreWindow() override { ++normalRequests; }
  int statusBarHeight() const override { return kStatusHeight; }
  void setButtonBounds(const morvel::Bounds& b) override { button = b; }
  void setClipboardText(std::string_view text) override { clipboard = text; }
  void openDocument(const std::string& path) override { opened.push_back(path); }
  void showRecordDialog() override { ++recordDialogs; }
  void showVersionDialog(std::string_view version) override { versions.emplace_back(version); }
  void showFailure(std::string_view text) override { failures.emplace_back(text); }
  void postFileChange() override { ++fileChanges; }

  bool timerOn(morvel::TimerId timer) const {
    const auto found = timers.find(timer);
    return found != timers.end() && found->second.enabled;
  }

  morvel::Size screen{1920, 1080};
  morvel::Bounds bounds;
  morvel::Bounds button;
  std::string caption, memo, status, clipboard;
  bool keyPreview = false;
  bool failMemo = false;  // setMemoText throws, as an allocation failure would
  int closeRequests = 0;
  int normalRequests = 0;
  int recordDialogs = 0;
  int fileChanges = 0;
  std::map<morvel::TimerId, FakeTimer> timers;
  std::vector<std::string> opened;
  std::vector<std::string> versions;
  std::vector<std::string> failures;
};

}  // namespace testing_support
