#include "keys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <utility>

namespace morvel {

Key keyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_End:
      return Key::end;
    case Qt::Key_PageUp:
      return Key::pageUp;
    case Qt::Key_Home:
      return Key::home;
    case Qt::Key_F3:
      return Key::f3;
    case Qt::Key_F8:
      return Key::f8;
    case Qt::Key_Escape:
      return Key::escape;
    default:
      return Key::other;
  }
}

namespace {

class EnterPresses final : public QObject {
 public:
  explicit EnterPresses(QAbstractButton* button) : QObject(button), button_(button) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat()) return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    button_->click();
    return true;
  }

 private:
  QAbstractButton* button_;
};

}  // namespace

void pressOnEnter(QAbstractButton* button) { button->installEventFilter(new EnterPresses(button)); }

KeyPreview::KeyPreview(QWidget* window, std::function<void(Key)> onRelease)
    : QObject(window), window_(window), onRelease_(std::move(onRelease)) {}

KeyPreview::~KeyPreview() { setEnabled(false); }

void KeyPreview::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) {
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
  }
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  // A key is pressed before it is released: after a press, a release is a
  // new one even where it reuses the last one's address and timestamp.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) lastKeyRelease_ = nullptr;
  if (event->type() != QEvent::KeyRelease) return false;
  // A key release travels from the focused widget up to the window, and the
  // filter sees it at each step: it counts at the first. A later step is the
  // same event reaching a parent of the widget that counted it; a new
  // release may reuse the address and timestamp of the last one. Auto-repeat
  // releases are not releases of the key.
  auto* key = static_cast<QKeyEvent*>(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != window_ || key->isAutoRepeat()) return false;
  if (event == lastKeyRelease_ && key->timestamp() == lastKeyTimestamp_ && lastKeyWidget_ != nullptr &&
      widget != lastKeyWidget_ && widget->isAncestorOf(lastKeyWidget_)) {
    return false;
  }
  lastKeyRelease_ = event;
  lastKeyTimestamp_ = key->timestamp();
  lastKeyWidget_ = widget;
  onRelease_(keyOf(key->key()));
  return false;
}

}  // namespace morvel
