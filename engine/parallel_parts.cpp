#include "parallel_parts.h"

#include <thread>

namespace morvel {

ParallelParts::Held::Held(ParallelParts& owner, std::size_t part)
    : owner_(owner), part_(part), bytes_(owner.takeMemory()), capacity_(owner.partOutput_) {}

void ParallelParts::Held::makeRoom(std::size_t n) {
  owner_.writeAsHead(part_, bytes_.get(), used_);
  used_ = 0;
  if (capacity_ < n) {  // a room larger than the memory: written at once each time
    bytes_ = std::make_unique_for_overwrite<char[]>(n);
    capacity_ = n;
  }
}

ParallelParts::ParallelParts(OutputFile& output, std::size_t partOutput) : output_(output), partOutput_(partOutput) {}

bool ParallelParts::run(unsigned threads, const Convert& convert) {
  std::vector<std::thread> helpers;
  try {
    for (unsigned n = 1; n < threads; ++n) helpers.emplace_back([this, &convert] { workOrStop(convert); });
  } catch (const std::exception&) {
    if (helpers.empty()) return false;
  }
  workOrStop(convert);
  for (std::thread& helper : helpers) helper.join();
  if (failure_) std::rethrow_exception(failure_);
  return true;
}

void ParallelParts::workOrStop(const Convert& convert) {
  try {
    work(convert);
  } catch (...) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = std::current_exception();
    stopped_ = true;
    changed_.notify_all();
  }
}

void ParallelParts::work(const Convert& convert) {
  std::vector<char> scratch;
  for (;;) {
    std::size_t part = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stopped_ || next_ < written_ + kAhead; });
      if (stopped_) return;
      part = next_++;
    }
    Held held(*this, part);
    const bool last = convert(part, held, scratch);
    deliver(part, held, last);
  }
}

std::unique_ptr<char[]> ParallelParts::takeMemory() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      auto bytes = std::move(spare_.back());
      spare_.pop_back();
      return bytes;
    }
  }
  return std::make_unique_for_overwrite<char[]>(partOutput_);
}

void ParallelParts::deliver(std::size_t part, Held& held, bool last) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.emplace(part, Done{std::move(held.bytes_), held.used_, last});
  while (!writing_ && !stopped_) {
    const auto found = done_.find(written_);
    if (found == done_.end()) break;
    Done next = std::move(found->second);
    done_.erase(found);
    writing_ = true;
    lock.unlock();
    output_.append(next.bytes.get(), next.size);
    lock.lock();
    spare_.push_back(std::move(next.bytes));
    writing_ = false;
    ++written_;
    if (next.last) stopped_ = true;
    changed_.notify_all();
  }
}

void ParallelParts::writeAsHead(std::size_t part, const char* bytes, std::size_t size) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || (written_ == part && !writing_); });
    if (stopped_) return;
  }
  output_.append(bytes, size);
}

}  // namespace morvel
