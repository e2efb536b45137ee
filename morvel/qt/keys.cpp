#include "keys.h"

#include <Qt>

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

}  // namespace morvel
