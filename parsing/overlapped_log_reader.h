// OverlappedLogReader: a compressed log decoded on a thread of its own while the parse worker
// parses what was decoded before, so that a gzip or bzip2 log costs about as much as decoding it
// alone. The analysis stays on the parse worker; the decoder thread only fills blocks.
//
// The bytes handed out are exactly those of the wrapped reader, in order, and the end comes where
// it ends. Invariants: the decoder thread owns the blocks that are not filled, the reader side the
// filled ones up to its release; at most kBlocks blocks are decoded ahead (bounded memory); the
// wrapped reader is used by the decoder thread alone once Open has started it, and the thread is
// stopped and joined before the reader goes.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "parsing/log_reader.h"

namespace velmora {

class OverlappedLogReader final : public LogReader {
 public:
  static constexpr size_t kBlocks = 4;
  static constexpr size_t kBlockSize = size_t{256} * 1024;

  // `inner`: an unopened reader.
  explicit OverlappedLogReader(std::unique_ptr<LogReader> inner);
  ~OverlappedLogReader() override;

  // The wrapped reader's progress when its last block was decoded.
  uint32_t ProgressFraction() const override { return progress_.load(std::memory_order_relaxed); }
  size_t ReadBlock(std::span<uint8_t> out) override;
  // Opens the wrapped reader and starts decoding; false (no thread) when it cannot be opened.
  bool Open(std::string_view path) override;

 private:
  void Decode();
  void Stop();

  std::unique_ptr<LogReader> inner_;
  std::array<std::vector<uint8_t>, kBlocks> blocks_;
  std::array<size_t, kBlocks> sizes_{};
  std::atomic<uint32_t> progress_{0};

  std::mutex mutex_;
  std::condition_variable changed_;
  size_t head_ = 0;    // the block the reader side takes from next
  size_t filled_ = 0;  // filled blocks from head_ on
  bool done_ = false;  // the wrapped reader has ended; no more blocks come
  bool stop_ = false;  // the reader side is going
  size_t taken_ = 0;   // bytes of the head block already handed out
  std::thread thread_;
};

// OpenLogReader, with gzip logs decoded on a thread of their own and bzip2 logs block by block
// on several (ParallelBzip2LogReader); plain logs as OpenLogReader gives them.
std::unique_ptr<LogReader> OpenOverlappedLogReader(std::string_view path);

}  // namespace velmora
