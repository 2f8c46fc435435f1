// ParallelBzip2LogReader: a bzip2 log whose blocks are decoded by libbzip2 on worker threads at
// the same time, so that a .bz2 log costs about as much as decoding it alone on one core while
// the parse runs beside it.
//
// A bzip2 block does not depend on the blocks before it, but it starts at an arbitrary bit offset
// and nothing records where. The compressed bytes are therefore scanned, a window at a time, for
// the block and end-of-stream magics; the bits from one magic to the next make a piece, which is
// rewritten as a one-block stream of its own (header, the piece, an end-of-stream trailer whose
// combined CRC is the block's CRC) and decoded by libbzip2, which checks the block's CRC. Decoded
// pieces are handed out in file order.
//
// The bytes handed out, and the failure at their end, are exactly those Bzip2LogReader gives for
// the same file, whatever the file holds. Anything unexpected (a bad header, a piece that does not
// decode to the end, a magic that is really block data, a truncated file, a combined CRC that does
// not match, a piece larger than any real block, a thread that cannot be started) switches to a
// Bzip2LogReader opened with this one, which decodes from the start and skips what was already
// handed out. Only the first stream is decoded, as there.
//
// Invariants: at most kPiecesInFlight pieces are scanned and not yet handed out (bounded memory:
// the scan window of a few MiB plus each piece's input and output); the scanner is used under
// scan_mutex_ alone, a piece's slot by the worker decoding it until it is marked decoded and then
// by the reader side until it is released; the workers are stopped and joined before the reader
// goes, even in the middle of the file.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "parsing/readers/bzip2_log_reader.h"
#include "parsing/readers/log_reader.h"

namespace velmora {

class ParallelBzip2LogReader final : public LogReader {
 public:
  static constexpr size_t kWorkers = 2;
  static constexpr size_t kPiecesInFlight = kWorkers + 2;
  static constexpr size_t kBufferSize = size_t{64} * 1024;
  // A real block decodes to at most 900,000 bytes before its run-length stage; a piece that comes
  // out larger is left to the sequential reader, which streams it.
  static constexpr size_t kMaxPieceOutput = size_t{8} << 20;

  ParallelBzip2LogReader();
  ~ParallelBzip2LogReader() override;

  // Millionths of the compressed file covered by the pieces handed out, or the sequential
  // reader's own fraction once it has taken over.
  uint32_t ProgressFraction() const override;
  size_t ReadBlock(std::span<uint8_t> out) override;
  bool Open(std::string_view path) override;

  // True once the sequential reader has taken over (for tests).
  bool fell_back() const { return sequential_; }

 private:
  class Scanner;
  enum class SlotState : uint8_t { kFree, kDecoding, kDecoded, kFailed };
  enum class ScanState : uint8_t { kRunning, kEnded, kFailed };
  struct Slot {
    SlotState state = SlotState::kFree;
    std::vector<uint8_t> input;  // the piece as a one-block stream
    std::unique_ptr<uint8_t[]> output;
    size_t output_capacity = 0;
    size_t output_size = 0;
    uint64_t begin_byte = 0;  // the compressed bytes the piece covers
    uint64_t end_byte = 0;
  };

  void Work();
  bool Decode(Slot& slot);
  void Stop();
  // Drops the pieces and lets the sequential reader go on from where this one stopped.
  void FallBack();
  size_t ReadSequential(std::span<uint8_t> out);

  Bzip2LogReader sequential_reader_;  // opened with this one, read only after a fallback
  bool opened_ = false;
  bool sequential_ = false;
  bool finished_ = false;
  uint64_t handed_out_ = 0;  // bytes handed out before a fallback, skipped after it
  std::array<uint8_t, Bzip2LogReader::kBufferSize> staged_{};  // the sequential reader's output
  size_t staged_begin_ = 0;
  size_t staged_end_ = 0;
  uint64_t file_size_ = 0;

  std::mutex scan_mutex_;             // taken before mutex_, never while holding it
  std::unique_ptr<Scanner> scanner_;  // under scan_mutex_

  std::mutex mutex_;
  std::condition_variable room_;     // a slot was released, or stop
  std::condition_variable decoded_;  // a piece was decoded, or the scan ended
  std::array<Slot, kPiecesInFlight> slots_;
  uint64_t scanned_ = 0;   // pieces given to workers so far; piece i lives in slot i % size
  uint64_t released_ = 0;  // pieces fully handed out
  ScanState scan_state_ = ScanState::kRunning;
  std::atomic<bool> stop_{false};  // written under mutex_ so that waits see it
  std::vector<std::thread> workers_;

  // The reader side's piece: slots_[released_ % size] while holding_ is true.
  bool holding_ = false;
  size_t taken_ = 0;  // bytes of the held piece already handed out
};

// OpenLogReader for the accelerated run: bzip2 logs (by their first bytes, as there) decoded block
// by block on several threads, plain and gzip logs as OpenLogReader gives them. ISA-L decodes a
// gzip log in a small part of the time its lines take to parse, less than a thread of its own would
// cost in handing its output to the parser on the other core.
std::unique_ptr<LogReader> OpenAcceleratedLogReader(std::string_view path);

}  // namespace velmora
