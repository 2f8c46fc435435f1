#include "parsing/pipelined_sink.h"

#include <cstring>
#include <system_error>
#include <tuple>
#include <utility>

namespace velmora {
namespace {

// Every field of a record is carried: a new text field belongs in LogRecord::Texts, a new
// scalar in Scalars below.
static_assert(sizeof(LogRecord) == 33272, "LogRecord changed: update PipelinedSink's packing");

struct Scalars {
  uint32_t client_address;
  int32_t server_port;
  int32_t status;
  int32_t error_id;
  uint32_t resource_id;
  int32_t bytes_sent;
  int32_t bytes_received;
  int32_t time_taken;
  uint32_t user_agent_id;
  uint32_t referrer_id;
  CalendarTime calendar_time;
  Ticks time;
  uint32_t request_class;
  uint32_t referrer_domain_id;
  uint32_t referrer_kind;
  uint32_t operating_system_id;
  uint32_t browser_id;
  uint32_t visit_id;
  uint32_t analysed;
};

Scalars ScalarsOf(const LogRecord& r, bool analysed) {
  return {r.client_address, r.server_port,        r.status,          r.error_id,
          r.resource_id,    r.bytes_sent,         r.bytes_received,  r.time_taken,
          r.user_agent_id,  r.referrer_id,        r.calendar_time,   r.time,
          r.request_class,  r.referrer_domain_id, r.referrer_kind,   r.operating_system_id,
          r.browser_id,     r.visit_id,           analysed ? 1u : 0u};
}

void SetScalars(LogRecord& r, const Scalars& s) {
  r.client_address = s.client_address;
  r.server_port = s.server_port;
  r.status = s.status;
  r.error_id = s.error_id;
  r.resource_id = s.resource_id;
  r.bytes_sent = s.bytes_sent;
  r.bytes_received = s.bytes_received;
  r.time_taken = s.time_taken;
  r.user_agent_id = s.user_agent_id;
  r.referrer_id = s.referrer_id;
  r.calendar_time = s.calendar_time;
  r.time = s.time;
  r.request_class = s.request_class;
  r.referrer_domain_id = s.referrer_domain_id;
  r.referrer_kind = s.referrer_kind;
  r.operating_system_id = s.operating_system_id;
  r.browser_id = s.browser_id;
  r.visit_id = s.visit_id;
}

constexpr size_t kTextCount = std::tuple_size_v<decltype(std::declval<LogRecord&>().Texts())>;
constexpr size_t kAlign = 8;
// Length word, scalars, and each text with its 16-bit length, at their longest.
constexpr size_t kLongestRecord =
    (4 + sizeof(Scalars) + kTextCount * (2 + kLogTextCapacity) + kAlign - 1) / kAlign * kAlign;
// The ring only has to absorb the unevenness of the two sides. Records are handed over in
// batches to keep locking rare, and a writer short of room waits until half the ring is free,
// so the two threads do not wake each other per batch.
constexpr uint64_t kRingBytes = uint64_t{1} << 20;
constexpr uint64_t kBatch = 64;
constexpr uint32_t kWrapMark = 0xFFFFFFFF;

}  // namespace

PipelinedSink::PipelinedSink(ParseSink& inner)
    : inner_(inner), ring_(std::make_unique<unsigned char[]>(kRingBytes)) {
  try {
    analysis_ = std::thread([this] { Consume(); });
  } catch (const std::system_error&) {
    inline_ = true;
  }
}

void PipelinedSink::ProcessRecord(LogRecord& record, bool analysed) {
  if (inline_ || finished_) {
    inner_.ProcessRecord(record, analysed);
    return;
  }
  // Room for the longest record and a wrap to the start of the ring.
  if (kRingBytes - (written_ - consumed_seen_) < 2 * kLongestRecord) {
    Publish();
    std::unique_lock lock(lock_);
    has_room_.wait(lock, [this] { return written_ - consumed_ <= kRingBytes / 2; });
    consumed_seen_ = consumed_;
  }
  size_t at = written_ % kRingBytes;
  if (kRingBytes - at < kLongestRecord) {
    std::memcpy(&ring_[at], &kWrapMark, 4);
    written_ += kRingBytes - at;
    at = 0;
  }
  unsigned char* out = &ring_[at + 4];
  const Scalars scalars = ScalarsOf(record, analysed);
  std::memcpy(out, &scalars, sizeof scalars);
  out += sizeof scalars;
  for (const LogText* text : std::as_const(record).Texts()) {
    const auto size = static_cast<uint16_t>(text->size());
    std::memcpy(out, &size, 2);
    std::memcpy(out + 2, text->view().data(), size);
    out += 2 + size;
  }
  const auto length =
      static_cast<uint32_t>((static_cast<size_t>(out - &ring_[at]) + kAlign - 1) / kAlign * kAlign);
  std::memcpy(&ring_[at], &length, 4);
  written_ += length;
  if (++records_ % kBatch == 0) Publish();
}

void PipelinedSink::Publish() {
  {
    std::lock_guard lock(lock_);
    if (published_ == written_) return;
    published_ = written_;
  }
  has_work_.notify_one();
}

void PipelinedSink::Consume() {
  auto record = std::make_unique<LogRecord>();
  uint64_t next = 0;
  for (;;) {
    uint64_t end;
    {
      std::unique_lock lock(lock_);
      has_work_.wait(lock, [&] { return published_ > next || finishing_; });
      end = published_;
      if (end == next) return;  // finishing, and everything published is done
    }
    while (next < end) {
      const size_t at = next % kRingBytes;
      uint32_t length;
      std::memcpy(&length, &ring_[at], 4);
      if (length == kWrapMark) {
        next += kRingBytes - at;
        continue;
      }
      const unsigned char* in = &ring_[at + 4];
      Scalars scalars;
      std::memcpy(&scalars, in, sizeof scalars);
      in += sizeof scalars;
      SetScalars(*record, scalars);
      for (LogText* text : record->Texts()) {
        uint16_t size;
        std::memcpy(&size, in, 2);
        // Borrowed, not copied: the ring keeps these bytes until the batch is done.
        text->borrow(reinterpret_cast<const char*>(in + 2), size);
        in += 2 + size;
      }
      inner_.ProcessRecord(*record, scalars.analysed != 0);
      next += length;
    }
    bool room;
    {
      std::lock_guard lock(lock_);
      consumed_ = next;
      // A waiting writer has published all it wrote and waits for half the ring: wake it then.
      room = published_ - consumed_ <= kRingBytes / 2;
    }
    if (room) has_room_.notify_one();
  }
}

void PipelinedSink::Finish() {
  if (finished_) return;
  finished_ = true;
  if (inline_) return;
  Publish();
  {
    std::lock_guard lock(lock_);
    finishing_ = true;
  }
  has_work_.notify_one();
  analysis_.join();
}

}  // namespace velmora
