#include "change_notice.h"

namespace morvel {

// No notification yet: the caller polls.
struct ChangeNotice::Native {};

ChangeNotice::ChangeNotice(const std::string&, std::function<void()>) : native_(new Native) {}

ChangeNotice::~ChangeNotice() = default;

bool ChangeNotice::active() const { return false; }

bool ChangeNotice::tellsCompletion() const { return false; }

ChangeNews ChangeNotice::take() { return {}; }

}  // namespace morvel
