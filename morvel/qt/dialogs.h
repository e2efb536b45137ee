// Morvel's Record and Version dialogs on Qt: thin adapters over TForm2 and
// TForm3, created hidden with the main window.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>

#include "display_text.h"
#include "framed_geometry.h"
#include "recordform.h"
#include "versionform.h"
#include "window_design.h"
#include "window_services.h"

class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;

namespace morvel {

class KeyPreview;

// What both dialogs share: their controls by name, key preview, geometry.
class DialogWindow : public QDialog, public DialogServices {
 public:
  DialogWindow(QWidget* parent, const DisplayText& display);

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
  QString shown(std::string_view sjis) const;
  // Names the dialog and makes its controls as designed.
  void build(std::string_view name, std::string_view caption, std::span<const ControlDesign> controls,
             const std::function<void()>& click);

 private:
  const DisplayText& display_;
  KeyPreview* keyPreview_ = nullptr;
  FramedGeometry* framed_ = nullptr;
  QPointer<QMessageBox> noteBox_;  // the last note, while it is open
  // What each edit was given: the text shown and its Shift_JIS bytes.
  struct Given {
    QString shown;
    std::string sjis;
  };
  std::map<QString, Given> given_;
};

class Form2Dialog final : public DialogWindow {
 public:
  Form2Dialog(QWidget* parent, const FinalEffect& settings, Reporter& reporter, const DisplayText& display);

  TForm2& logic() { return *form_; }
  // Shows without waiting, the focus on "Save".
  void showBeside();

 protected:
  void keyReleased(Key key) override { form_->FormKeyUp(key); }

 private:
  std::unique_ptr<TForm2> form_;
};

class Form3Dialog final : public DialogWindow {
 public:
  Form3Dialog(QWidget* parent, const ProgramProfile& profile, const DisplayText& display);

  TForm3& logic() { return *form_; }
  // Sets the version text, then shows the dialog until it is closed.
  void showModally(std::string_view version);

 protected:
  void keyReleased(Key key) override { form_->FormKeyUp(key); }

 private:
  std::unique_ptr<TForm3> form_;
};

}  // namespace morvel
