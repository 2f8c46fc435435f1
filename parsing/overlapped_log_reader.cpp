#include "parsing/overlapped_log_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "parsing/parallel_bzip2_log_reader.h"

namespace velmora {

OverlappedLogReader::OverlappedLogReader(std::unique_ptr<LogReader> inner)
    : LogReader(kBlockSize), inner_(std::move(inner)) {}

OverlappedLogReader::~OverlappedLogReader() { Stop(); }

void OverlappedLogReader::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool OverlappedLogReader::Open(std::string_view path) {
  Stop();
  if (!inner_->Open(path)) return false;
  for (std::vector<uint8_t>& block : blocks_) block.resize(kBlockSize);
  head_ = filled_ = taken_ = 0;
  done_ = stop_ = false;
  progress_.store(0, std::memory_order_relaxed);
  thread_ = std::thread([this] { Decode(); });
  return true;
}

void OverlappedLogReader::Decode() {
  while (true) {
    size_t slot;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || filled_ < kBlocks; });
      if (stop_) return;
      slot = (head_ + filled_) % kBlocks;
    }
    // The slot is not filled, so the reader side does not touch it.
    const size_t n = inner_->ReadBlock(blocks_[slot]);
    progress_.store(inner_->ProgressFraction(), std::memory_order_relaxed);
    {
      std::lock_guard lock(mutex_);
      if (n == 0) {
        done_ = true;
      } else {
        sizes_[slot] = n;
        ++filled_;
      }
    }
    changed_.notify_all();
    if (n == 0) return;  // a reader that has ended is never asked again
  }
}

size_t OverlappedLogReader::ReadBlock(std::span<uint8_t> out) {
  if (out.empty()) return 0;
  size_t slot;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return filled_ > 0 || done_ || !thread_.joinable(); });
    if (filled_ == 0) return 0;
    slot = head_;
  }
  // The head block is filled, so the decoder thread does not touch it until it is released.
  const size_t n = std::min(out.size(), sizes_[slot] - taken_);
  std::memcpy(out.data(), blocks_[slot].data() + taken_, n);
  taken_ += n;
  if (taken_ == sizes_[slot]) {
    {
      std::lock_guard lock(mutex_);
      head_ = (head_ + 1) % kBlocks;
      --filled_;
      taken_ = 0;
    }
    changed_.notify_all();
  }
  return n;
}

std::unique_ptr<LogReader> OpenOverlappedLogReader(std::string_view path) {
  switch (LogReaderKindForPath(path)) {
    case LogReaderKind::kPlain:
      return OpenLogReader(path);
    case LogReaderKind::kBzip2:
      // Decodes its blocks on threads of its own; one more in front would only copy.
      return StartLogReader(std::make_unique<ParallelBzip2LogReader>(), path);
    case LogReaderKind::kGzip:
      break;
  }
  return StartLogReader(std::make_unique<OverlappedLogReader>(MakeLogReader(path)), path);
}

}  // namespace velmora
