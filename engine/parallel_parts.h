// Work cut into numbered parts that several threads convert at the same
// time, each part into memory, written to the output in their order by
// whichever thread is done when a part's turn comes. The passes use it for
// large inputs; each decides where its parts begin so that converting a
// part afresh gives what converting from the start would.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "output_file.h"

namespace morvel {

class ParallelParts {
 public:
  // A part's converted bytes, with room(n) and keep(end) as OutputFile
  // gives them. A part that outgrows its memory has what it holds written
  // as soon as the parts before it are, and goes on.
  class Held {
   public:
    char* room(std::size_t n) {
      if (capacity_ - used_ < n) makeRoom(n);
      return bytes_.get() + used_;
    }
    void keep(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.get()); }

   private:
    friend class ParallelParts;
    Held(ParallelParts& owner, std::size_t part);
    void makeRoom(std::size_t n);

    ParallelParts& owner_;
    std::size_t part_;
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
  };

  // Converts part `part` into `held`, with `scratch` as the thread's own
  // memory from part to part; true when nothing after the part counts.
  using Convert = std::function<bool(std::size_t part, Held& held, std::vector<char>& scratch)>;

  // `partOutput`: the memory a part's bytes are converted into; at least
  // room for one step of a pass.
  ParallelParts(OutputFile& output, std::size_t partOutput);

  // Converts parts 0, 1, 2... on `threads` threads (the calling one among
  // them) until a part says it is the last, and writes them in order. False,
  // with nothing done, when no other thread could start. An exception in a
  // thread stops them all and comes out of run().
  [[nodiscard]] bool run(unsigned threads, const Convert& convert);

 private:
  struct Done {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    bool last = false;
  };

  void workOrStop(const Convert& convert);
  void work(const Convert& convert);
  std::unique_ptr<char[]> takeMemory();
  void deliver(std::size_t part, Held& held, bool last);
  void writeAsHead(std::size_t part, const char* bytes, std::size_t size);

  // How many parts a thread may be ahead of the writing, so that the parts
  // held stay few.
  static constexpr std::size_t kAhead = 4;

  OutputFile& output_;
  const std::size_t partOutput_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;     // the next part to take
  std::size_t written_ = 0;  // the parts written so far
  std::map<std::size_t, Done> done_;
  std::vector<std::unique_ptr<char[]>> spare_;
  bool writing_ = false;
  bool stopped_ = false;  // the last part is written, or a thread failed
  std::exception_ptr failure_;
};

}  // namespace morvel
