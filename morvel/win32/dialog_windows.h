// Morvel's Record and Version dialogs on Win32: thin adapters over TForm2
// and TForm3, created hidden with the main window and owned by it.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "display_text.h"
#include "recordform.h"
#include "versionform.h"
#include "window_design.h"
#include "window_services.h"

namespace morvel {

void registerDialogClass(HINSTANCE instance, HICON icon, HICON smallIcon);

// What both dialogs share: their controls by name, key preview, geometry.
class DialogWindow : public DialogServices {
 public:
  DialogWindow(HWND owner, std::string_view caption, const FontDesign& font, const DisplayText& display);
  ~DialogWindow() override;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  HWND handle() const { return window_; }
  HWND control(const std::string& name) const;
  // As MainWindow::keepUntilExit.
  void keepUntilExit() { keptUntilExit_ = true; }

  // DialogServices: the only place where the logic's calls arrive.
  [[nodiscard]] std::optional<std::string> typedText(std::string_view control) const override;
  void setText(std::string_view control, std::string_view text) override;
  void setKeyPreview(bool on) override;
  void hideDialog() override;
  Size screenSize() const override;
  void setBounds(const Bounds& bounds) override;
  void setClipboardText(std::string_view text) override;
  void openDocument(const std::string& path) override;
  void showNote(std::string_view sentence) override;

 protected:
  // A key released anywhere in the dialog, once per release.
  virtual void keyReleased(Key key) = 0;
  virtual void buttonClicked() = 0;
  // Makes the dialog's controls at their designed places, in their fonts.
  void build(std::span<const ControlDesign> controls);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Shrinks a label's font until its text fits its box.
  void fitLabel(HWND label);

  const DisplayText& display_;
  HWND window_ = nullptr;
  bool keptUntilExit_ = false;
  std::map<std::string, HWND> controls_;
  std::map<HWND, int> designedPixels_;
  std::map<HWND, HFONT> fonts_;
  std::vector<HBITMAP> pictures_;
  // What each edit was given: the text shown and its Shift_JIS bytes.
  struct Given {
    std::wstring shown;
    std::string sjis;
  };
  std::map<std::string, Given> given_;
};

class RecordDialog final : public DialogWindow {
 public:
  RecordDialog(HWND owner, const FinalEffect& settings, Reporter& reporter, const DisplayText& display);

  TForm2& logic() { return *form_; }
  // Shows without waiting, the focus on "Save".
  void showBeside();

 protected:
  void keyReleased(Key key) override { form_->FormKeyUp(key); }
  void buttonClicked() override { (form_.get()->*kRecordDialog.buttonClick)(); }

 private:
  std::unique_ptr<TForm2> form_;
};

class VersionDialog final : public DialogWindow {
 public:
  VersionDialog(HWND owner, const ProgramProfile& profile, const DisplayText& display);

  TForm3& logic() { return *form_; }
  // Sets the version text, then shows the dialog until it is closed; the
  // main window waits, its timers run on.
  void showModally(std::string_view version);

 protected:
  void keyReleased(Key key) override { form_->FormKeyUp(key); }
  void buttonClicked() override { (form_.get()->*kVersionDialog.buttonClick)(); }

 private:
  std::unique_ptr<TForm3> form_;
};

}  // namespace morvel
