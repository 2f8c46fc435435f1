#include "parsing/readers/parallel_bzip2_log_reader.h"

#include <bzlib.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "platform/sequential_file.h"

namespace velmora {
namespace {

constexpr uint64_t kBlockMagic = 0x314159265359;
constexpr uint64_t kEndMagic = 0x177245385090;
constexpr int kMagicBits = 48;
constexpr int kCrcBits = 32;
constexpr uint64_t kNone = UINT64_MAX;

// Raw reads are this large; the window keeps the current piece and what was read after it.
constexpr size_t kChunkSize = size_t{256} * 1024;
// A real block compresses to a little over 900,000 bytes at most; a longer stretch between two
// magics is damage, or a block the sequential reader is better left to.
constexpr size_t kMaxPieceBytes = size_t{2} << 20;
// Decoded output grows in steps of this size, so a stop is noticed within one step.
constexpr size_t kOutputStep = size_t{1} << 20;

// `count` (at most 57) bits from bit `bit` of `bytes`, most significant first; the caller makes
// sure they lie inside `bytes`.
uint64_t BitsAt(const uint8_t* bytes, uint64_t bit, int count) {
  uint64_t value = 0;
  const uint64_t first = bit / 8;
  const uint64_t last = (bit + static_cast<uint64_t>(count) - 1) / 8;
  for (uint64_t i = first; i <= last; ++i) value = (value << 8) | bytes[i];
  const int extra = static_cast<int>((last + 1) * 8 - (bit + static_cast<uint64_t>(count)));
  return (value >> extra) & ((uint64_t{1} << count) - 1);
}

// Every magic at every bit offset fully covers five bytes, so any 16-bit pair of bytes taken at
// every fourth byte position lands inside one of them. The filter holds the 64 pairs that can
// occur there (two magics, eight shifts, four pair positions); a pair outside it rules out all
// eight offsets around it at the cost of one bit test.
class MagicFilter {
 public:
  MagicFilter() {
    for (uint64_t magic : {kBlockMagic, kEndMagic}) {
      for (int shift = 0; shift < 8; ++shift) {
        for (int k = 0; k < 4; ++k) {
          const auto pair = static_cast<uint16_t>(magic >> (24 + shift - 8 * k));
          bits_[pair / 64] |= uint64_t{1} << (pair % 64);
        }
      }
    }
  }
  bool MayHold(uint16_t pair) const { return (bits_[pair / 64] >> (pair % 64)) & 1; }

 private:
  std::array<uint64_t, 65'536 / 64> bits_{};
};

const MagicFilter& Filter() {
  static const MagicFilter filter;
  return filter;
}

// Appends bits most significant first to a byte vector.
class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Put(uint64_t value, int count) {  // count <= 32
    pending_ = (pending_ << count) | (value & ((uint64_t{1} << count) - 1));
    pending_bits_ += count;
    while (pending_bits_ >= 8) {
      pending_bits_ -= 8;
      out_.push_back(static_cast<uint8_t>(pending_ >> pending_bits_));
    }
  }
  // Pads the last byte with zero bits.
  void Flush() {
    if (pending_bits_ > 0) out_.push_back(static_cast<uint8_t>(pending_ << (8 - pending_bits_)));
    pending_bits_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t pending_ = 0;
  int pending_bits_ = 0;
};

}  // namespace

// Splits the first stream of a bzip2 file into pieces, one block each, in file order. Reads the
// file a chunk at a time and keeps only the bytes from the current piece's start on.
class ParallelBzip2LogReader::Scanner {
 public:
  enum class Step : uint8_t { kPiece, kEnd, kFailed };

  explicit Scanner(SequentialFile file) : file_(std::move(file)) {}

  // The next piece as a one-block stream in `stream` and the compressed bytes it covers; kEnd
  // after the last block of a stream whose trailer checked out, kFailed on anything else. Once
  // either is returned it is returned again.
  Step Next(std::vector<uint8_t>& stream, uint64_t& begin_byte, uint64_t& end_byte) {
    if (done_) return last_step_;
    if (!started_ && !Start()) return Finish(Step::kFailed);
    if (at_end_) return Finish(CheckTrailer(piece_bit_));

    uint64_t magic = 0;
    uint64_t next = Find(piece_bit_ + kMagicBits, magic);
    while (next == kNone) {
      // The last search after the end of the file also looks at its final few bytes.
      const bool more = Fill();
      if (!more && !eof_) return Finish(Step::kFailed);
      next = Find(search_bit_, magic);
      if (next == kNone && !more) return Finish(Step::kFailed);
    }
    if (next < piece_bit_ + kMagicBits + kCrcBits) return Finish(Step::kFailed);

    const uint32_t block_crc = static_cast<uint32_t>(Bits(piece_bit_ + kMagicBits, kCrcBits));
    combined_crc_ = std::rotl(combined_crc_, 1) ^ block_crc;
    Build(piece_bit_, next, block_crc, stream);
    begin_byte = piece_bit_ / 8;
    end_byte = next / 8;
    piece_bit_ = next;
    at_end_ = magic == kEndMagic;
    return Step::kPiece;
  }

 private:
  bool Start() {
    started_ = true;
    while (window_.size() < 4 + (kMagicBits + kCrcBits) / 8 && Fill()) {
    }
    if (window_.size() < 4 || window_[0] != 'B' || window_[1] != 'Z' || window_[2] != 'h' ||
        window_[3] < '1' || window_[3] > '9') {
      return false;
    }
    level_ = window_[3];
    piece_bit_ = 32;
    // The stream goes on right after the header with a magic and its CRC.
    if (window_.size() < 4 + (kMagicBits + kCrcBits) / 8) return false;
    const uint64_t magic = Bits(piece_bit_, kMagicBits);
    at_end_ = magic == kEndMagic;
    return magic == kBlockMagic || at_end_;
  }

  Step Finish(Step step) {
    done_ = true;
    last_step_ = step;
    return step;
  }

  // The end-of-stream magic sits at `bit`; its combined CRC must be the one the blocks make.
  Step CheckTrailer(uint64_t bit) const {
    return Bits(bit + kMagicBits, kCrcBits) == combined_crc_ ? Step::kEnd : Step::kFailed;
  }

  uint64_t Bits(uint64_t file_bit, int count) const {
    return BitsAt(window_.data(), file_bit - window_start_ * 8, count);
  }

  // The first magic at or after file bit `from` that is followed by a whole CRC inside the
  // window, or kNone; sets `magic` to which one. Records in search_bit_ where a later search of
  // the grown window must begin.
  uint64_t Find(uint64_t from, uint64_t& magic) {
    const uint8_t* w = window_.data();
    const size_t n = window_.size();
    const uint64_t base = window_start_ * 8;
    const uint64_t from_rel = from - base;
    const MagicFilter& filter = Filter();
    // Pair position j can show a magic that starts in byte j-4 .. j-1; checking one needs its
    // bytes up to 10 after its start.
    size_t j = from_rel / 8 + 1;
    for (; j + 10 <= n; j += 4) {
      if (!filter.MayHold(static_cast<uint16_t>((w[j] << 8) | w[j + 1]))) [[likely]] {
        continue;
      }
      const uint64_t lowest = std::max<uint64_t>(from_rel, (j >= 4 ? j - 4 : 0) * 8);
      for (uint64_t bit = lowest; bit < j * 8; ++bit) {
        const uint64_t value = BitsAt(w, bit, kMagicBits);
        if (value == kBlockMagic || value == kEndMagic) {
          magic = value;
          return base + bit;
        }
      }
    }
    // Every start in a byte before j - 4 has been looked at.
    search_bit_ = std::max(from, base + (j >= 4 ? (j - 4) * 8 : 0));
    if (!eof_) return kNone;
    // At the end of the file the last few bytes are checked one offset at a time.
    for (uint64_t bit = search_bit_ - base; bit + kMagicBits + kCrcBits <= n * 8; ++bit) {
      const uint64_t value = BitsAt(w, bit, kMagicBits);
      if (value == kBlockMagic || value == kEndMagic) {
        magic = value;
        return base + bit;
      }
    }
    return kNone;
  }

  // Reads one more chunk, first dropping the bytes before the current piece; false at the end of
  // the file or when the piece would grow past any real block.
  bool Fill() {
    if (eof_) return false;
    const size_t drop = static_cast<size_t>(piece_bit_ / 8 - window_start_);
    window_.erase(window_.begin(), window_.begin() + static_cast<ptrdiff_t>(drop));
    window_start_ += drop;
    if (window_.size() > kMaxPieceBytes) return false;
    const size_t old_size = window_.size();
    window_.resize(old_size + kChunkSize);
    const size_t n = file_.Read(std::span(window_.data() + old_size, kChunkSize));
    window_.resize(old_size + n);
    if (n == 0) eof_ = true;
    return n != 0;
  }

  // The bits [begin, end) as a one-block stream: header, the bits moved to a byte boundary, then
  // an end-of-stream trailer whose combined CRC is the block's own.
  void Build(uint64_t begin, uint64_t end, uint32_t block_crc, std::vector<uint8_t>& stream) const {
    stream.reserve(4 + (end - begin) / 8 + 16);
    stream.resize(4);
    stream[0] = 'B';
    stream[1] = 'Z';
    stream[2] = 'h';
    stream[3] = level_;
    const uint64_t rel = begin - window_start_ * 8;
    const uint8_t* from = window_.data() + rel / 8;
    const int shift = static_cast<int>(rel % 8);
    const uint64_t whole = (end - begin) / 8;
    const size_t at = stream.size();
    stream.resize(at + whole);
    uint8_t* to = stream.data() + at;
    if (shift == 0) {
      std::memcpy(to, from, whole);
    } else {
      // from[whole] exists: the next magic starts at `end`, inside the window.
      for (uint64_t i = 0; i < whole; ++i) {
        to[i] = static_cast<uint8_t>((from[i] << shift) | (from[i + 1] >> (8 - shift)));
      }
    }
    BitWriter writer(stream);
    const int rest = static_cast<int>((end - begin) % 8);
    if (rest > 0) writer.Put(Bits(begin + whole * 8, rest), rest);
    writer.Put(kEndMagic >> 16, 32);
    writer.Put(kEndMagic & 0xFFFF, 16);
    writer.Put(block_crc, kCrcBits);
    writer.Flush();
  }

  SequentialFile file_;
  std::vector<uint8_t> window_;  // file bytes from window_start_ on
  uint64_t window_start_ = 0;
  bool eof_ = false;
  bool started_ = false;
  bool done_ = false;
  Step last_step_ = Step::kFailed;
  uint8_t level_ = '9';
  uint64_t piece_bit_ = 0;   // file bit of the magic that starts the current piece
  uint64_t search_bit_ = 0;  // where the search for the magic after it resumes
  bool at_end_ = false;      // piece_bit_ holds the end-of-stream magic
  uint32_t combined_crc_ = 0;
};

ParallelBzip2LogReader::ParallelBzip2LogReader() : LogReader(kBufferSize) {}

ParallelBzip2LogReader::~ParallelBzip2LogReader() { Stop(); }

void ParallelBzip2LogReader::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_.store(true, std::memory_order_relaxed);
  }
  room_.notify_all();
  decoded_.notify_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  workers_.clear();
}

bool ParallelBzip2LogReader::Open(std::string_view path) {
  if (opened_) return false;
  opened_ = true;
  // Opened now, so that taking over later reads the very file this reader started on even if the
  // path has been removed or replaced since.
  if (!sequential_reader_.Open(path)) {
    if (sequential_reader_.failure()) SetFailure(*sequential_reader_.failure());
    finished_ = true;
    return false;
  }
  SequentialFile file;
  if (!file.Open(std::string(path)).ok()) {
    sequential_ = true;
    return true;
  }
  file_size_ = file.size();
  scanner_ = std::make_unique<Scanner>(std::move(file));
  try {
    workers_.reserve(kWorkers);
    for (size_t i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { Work(); });
  } catch (const std::exception&) {  // a thread that cannot be started
    FallBack();
  }
  return true;
}

void ParallelBzip2LogReader::Work() {
  while (true) {
    Slot* slot;
    {
      // One worker scans at a time, so pieces are numbered in file order.
      std::lock_guard scan_lock(scan_mutex_);
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] {
          return stop_.load(std::memory_order_relaxed) || scan_state_ != ScanState::kRunning ||
                 scanned_ < released_ + kPiecesInFlight;
        });
        if (stop_.load(std::memory_order_relaxed) || scan_state_ != ScanState::kRunning) return;
        slot = &slots_[scanned_ % kPiecesInFlight];
      }
      // The slot is free: the reader side does not look at it until it is marked decoded.
      const Scanner::Step step = scanner_->Next(slot->input, slot->begin_byte, slot->end_byte);
      {
        std::lock_guard lock(mutex_);
        if (step == Scanner::Step::kPiece) {
          slot->state = SlotState::kDecoding;
          ++scanned_;
        } else {
          scan_state_ = step == Scanner::Step::kEnd ? ScanState::kEnded : ScanState::kFailed;
        }
      }
      if (step != Scanner::Step::kPiece) {
        decoded_.notify_all();
        room_.notify_all();
        return;
      }
    }
    const bool ok = Decode(*slot);
    {
      std::lock_guard lock(mutex_);
      slot->state = ok ? SlotState::kDecoded : SlotState::kFailed;
    }
    decoded_.notify_all();
  }
}

bool ParallelBzip2LogReader::Decode(Slot& slot) {
  slot.output_size = 0;
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, /*verbosity=*/0, /*small=*/0) != BZ_OK) return false;
  stream.next_in = reinterpret_cast<char*>(slot.input.data());
  stream.avail_in = static_cast<unsigned int>(slot.input.size());
  bool ok = false;
  while (!stop_.load(std::memory_order_relaxed)) {
    if (slot.output_size == slot.output_capacity) {
      if (slot.output_capacity >= kMaxPieceOutput) break;
      const size_t capacity = std::min(slot.output_capacity + kOutputStep, kMaxPieceOutput);
      auto grown = std::make_unique_for_overwrite<uint8_t[]>(capacity);
      if (slot.output_size > 0) std::memcpy(grown.get(), slot.output.get(), slot.output_size);
      slot.output = std::move(grown);
      slot.output_capacity = capacity;
    }
    const size_t space = std::min<size_t>(slot.output_capacity - slot.output_size, UINT_MAX);
    stream.next_out = reinterpret_cast<char*>(slot.output.get() + slot.output_size);
    stream.avail_out = static_cast<unsigned int>(space);
    const int rc = BZ2_bzDecompress(&stream);
    slot.output_size += space - stream.avail_out;
    if (rc == BZ_STREAM_END) {
      // The trailer written after the piece is the last thing in its stream.
      ok = stream.avail_in == 0;
      break;
    }
    // BZ_OK with output space left means the input ran out before the stream's end.
    if (rc != BZ_OK || stream.avail_out != 0) break;
  }
  BZ2_bzDecompressEnd(&stream);
  return ok;
}

void ParallelBzip2LogReader::FallBack() {
  Stop();
  for (Slot& slot : slots_) slot = Slot{};
  scanner_.reset();
  holding_ = false;
  sequential_ = true;
}

size_t ParallelBzip2LogReader::ReadSequential(std::span<uint8_t> out) {
  // The sequential reader is asked for blocks of the size it always gets: on a damaged block
  // libbzip2 drops what it decoded in the call that finds the damage, so what comes out before
  // the end depends on those sizes.
  while (staged_begin_ == staged_end_) {
    const size_t n = sequential_reader_.ReadBlock(staged_);
    if (n == 0) {
      // The same file read the same way stops for the same reason.
      if (sequential_reader_.failure()) SetFailure(*sequential_reader_.failure());
      return 0;
    }
    // What was handed out before is what the sequential reader gives first.
    const size_t skip = static_cast<size_t>(std::min<uint64_t>(handed_out_, n));
    handed_out_ -= skip;
    staged_begin_ = skip;
    staged_end_ = n;
  }
  const size_t n = std::min(out.size(), staged_end_ - staged_begin_);
  std::memcpy(out.data(), staged_.data() + staged_begin_, n);
  staged_begin_ += n;
  return n;
}

size_t ParallelBzip2LogReader::ReadBlock(std::span<uint8_t> out) {
  if (out.empty() || !opened_ || finished_) return 0;
  if (sequential_) return ReadSequential(out);
  while (!holding_ || taken_ == slots_[released_ % kPiecesInFlight].output_size) {
    std::unique_lock lock(mutex_);
    if (holding_) {
      slots_[released_ % kPiecesInFlight].state = SlotState::kFree;
      ++released_;
      holding_ = false;
      room_.notify_all();
    }
    Slot& next = slots_[released_ % kPiecesInFlight];
    decoded_.wait(lock, [&] {
      return next.state == SlotState::kDecoded || next.state == SlotState::kFailed ||
             (scan_state_ != ScanState::kRunning && released_ == scanned_);
    });
    if (next.state == SlotState::kDecoded) {
      holding_ = true;
      taken_ = 0;
    } else if (next.state == SlotState::kFailed || scan_state_ == ScanState::kFailed) {
      lock.unlock();
      FallBack();
      return ReadSequential(out);
    } else {
      lock.unlock();
      finished_ = true;
      Stop();
      return 0;
    }
  }
  const Slot& slot = slots_[released_ % kPiecesInFlight];
  const size_t n = std::min(out.size(), slot.output_size - taken_);
  std::memcpy(out.data(), slot.output.get() + taken_, n);
  taken_ += n;
  handed_out_ += n;
  return n;
}

uint32_t ParallelBzip2LogReader::ProgressFraction() const {
  if (sequential_) return sequential_reader_.ProgressFraction();
  if (file_size_ == 0) return 0;
  if (finished_) return 1'000'000;
  if (!holding_) return 0;
  const Slot& slot = slots_[released_ % kPiecesInFlight];
  const uint64_t covered = slot.begin_byte + (slot.end_byte - slot.begin_byte) * taken_ /
                                                 std::max<size_t>(1, slot.output_size);
  return static_cast<uint32_t>(std::min<uint64_t>(covered * 1'000'000 / file_size_, 1'000'000));
}

std::unique_ptr<LogReader> OpenAcceleratedLogReader(std::string_view path) {
  const LogReaderKind kind = LogReaderKindOfFile(path);
  if (kind != LogReaderKind::kBzip2) return StartLogReader(MakeLogReader(kind), path);
  return StartLogReader(std::make_unique<ParallelBzip2LogReader>(), path);
}

}  // namespace velmora
