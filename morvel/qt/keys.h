// The keys Morvel's windows act on, and their key preview: every key
// released anywhere in a window reaches the window's handler once, whichever
// control had the focus, and the control still gets the key.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "window_services.h"

namespace morvel {

Key keyOf(int qtKey);

// Return or Enter on the focused button presses it, as Space does.
void pressOnEnter(QAbstractButton* button);

class KeyPreview final : public QObject {
 public:
  KeyPreview(QWidget* window, std::function<void(Key)> onRelease);
  ~KeyPreview() override;
  KeyPreview(const KeyPreview&) = delete;
  KeyPreview& operator=(const KeyPreview&) = delete;

  void setEnabled(bool on);

 protected:
  [[nodiscard]] bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::function<void(Key)> onRelease_;
  bool enabled_ = false;
  const QEvent* lastKeyRelease_ = nullptr;
  quint64 lastKeyTimestamp_ = 0;
  QPointer<QWidget> lastKeyWidget_;
};

}  // namespace morvel
