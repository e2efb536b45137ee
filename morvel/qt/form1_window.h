// Morvel's main window on Qt: thin adapters between the widgets and the
// window logic TForm1, which does everything that matters.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <span>

#include "display_text.h"
#include "framed_geometry.h"
#include "morvelform.h"
#include "window_design.h"
#include "window_services.h"

class QLabel;
class QMenu;
class QTextEdit;
class QPushButton;
class QTimer;

namespace morvel {

class Form2Dialog;
class KeyPreview;
class Form3Dialog;

class Form1Window final : public QMainWindow, public WindowServices {
 public:
  Form1Window(const FinalEffect& settings, Reporter& reporter, const DisplayText& display);
  // The hand-off runs as the window closes; only a window that never
  // closed still has it done here.
  ~Form1Window() override;
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  // The Record and Version dialogs, the window's children.
  Form2Dialog* recordDialog() const { return Form2; }
  Form3Dialog* versionDialog() const { return Form3; }

  TForm1& logic() { return *form_; }
  QTextEdit* memo() const { return Memo1; }

  // WindowServices
  void setCaption(std::string_view text) override;
  void setMemoText(std::string_view text) override;
  void setStatusText(std::string_view text) override;
  void setStatusPath(std::string_view path) override;
  void setKeyPreview(bool on) override;
  void closeWindow() override;
  void setTimer(TimerId timer, int intervalMs, bool enabled) override;
  Bounds windowBounds() const override;
  Size clientSize() const override;
  void setWindowBounds(const Bounds& bounds) override;
  Size screenSize() const override;
  void restoreWindow() override;
  int statusBarHeight() const override;
  void setButtonBounds(const Bounds& bounds) override;
  void setClipboardText(std::string_view text) override;
  void openDocument(const std::string& path) override;
  void showRecordDialog() override;
  void showVersionDialog(std::string_view version) override;
  void showFailure(std::string_view text) override;
  void postFileChange() override;

 protected:
  [[nodiscard]] bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void createMemo();
  void createStatusBar();
  void createButton();
  void createMenus();
  void addMenuItems(QMenu* menu, std::span<const MenuItem> items);
  void createTimers();
  QTimer* timer(TimerId id) const;
  QString shown(std::string_view sjis) const;
  // Every row the window shows fits the display area without scrolling.
  void fitRows();

  const DisplayText& display_;
  QTextEdit* Memo1 = nullptr;
  QLabel* statusPanel0_ = nullptr;
  QLabel* statusPanel1_ = nullptr;
  QPushButton* Button1 = nullptr;
  std::array<QTimer*, 5> timers_{};  // by TimerId
  QPointer<QMessageBox> failureBox_;
  Form2Dialog* Form2 = nullptr;
  Form3Dialog* Form3 = nullptr;
  KeyPreview* keyPreview_ = nullptr;
  FramedGeometry* framed_ = nullptr;
  int rowHeight_ = 0;
  std::unique_ptr<TForm1> form_;
};

}  // namespace morvel
