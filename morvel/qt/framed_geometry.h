// A window's outer rectangle, frame included, as the window logic sets and
// reads it. The window manager's frame (_NET_FRAME_EXTENTS, which the
// toolkit reads) is known only once the window is shown: until then the
// frame of the last window shown stands in for it, and the size is set
// once more when the real frame is known or changes.
#pragma once

#include <QMargins>
#include <QObject>
#include <QWidget>
#include <optional>

#include "window_services.h"

namespace morvel {

class FramedGeometry final : public QObject {
 public:
  // `fixedSize`: the window keeps the size it is given (a dialog).
  FramedGeometry(QWidget* window, bool fixedSize);

  void set(const Bounds& outer);
  Bounds get() const;

 protected:
  [[nodiscard]] bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMargins frame() const;
  void apply();
  void correct();

  QWidget* window_;
  bool fixedSize_;
  std::optional<Bounds> wanted_;
  QMargins applied_;
};

}  // namespace morvel
