#include "framed_geometry.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

namespace morvel {

namespace {

QMargins lastFrame;  // the frame the window manager gave the last window shown

// The frame arrives with the window manager's answer to the mapping, which
// may come after the events that show the window.
constexpr int kFrameChecks[] = {50, 250};  // ms after showing

}  // namespace

FramedGeometry::FramedGeometry(QWidget* window, bool fixedSize)
    : QObject(window), window_(window), fixedSize_(fixedSize) {
  window_->installEventFilter(this);
}

QMargins FramedGeometry::frame() const {
  if (!window_->isVisible() || window_->windowHandle() == nullptr) return applied_;
  return window_->windowHandle()->frameMargins();
}

void FramedGeometry::set(const Bounds& outer) {
  wanted_ = outer;
  applied_ = window_->isVisible() ? frame() : lastFrame;
  apply();
}

Bounds FramedGeometry::get() const {
  if (!window_->isVisible() && wanted_) return *wanted_;
  const QRect outer = window_->frameGeometry();
  return {outer.x(), outer.y(), outer.width(), outer.height()};
}

// The position is the frame's (the toolkit lets the window manager place
// the frame's corner there); the size is the client's, the frame taken off.
void FramedGeometry::apply() {
  const Bounds& outer = *wanted_;
  const QSize client(outer.width - applied_.left() - applied_.right(),
                     outer.height - applied_.top() - applied_.bottom());
  window_->move(outer.left, outer.top);
  if (fixedSize_) {
    window_->setFixedSize(client);
  } else {
    window_->resize(client);
  }
}

void FramedGeometry::correct() {
  if (!wanted_ || !window_->isVisible()) return;
  if (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
  const QMargins now = frame();
  if (now == applied_) return;
  lastFrame = now;
  applied_ = now;
  apply();
}

bool FramedGeometry::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      for (const int ms : kFrameChecks) QTimer::singleShot(ms, this, [this] { correct(); });
      correct();
      break;
    case QEvent::Move:
    case QEvent::Resize:
      correct();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace morvel
