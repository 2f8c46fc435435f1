#include "parsing/run/pipelined_sink.h"

#include <cstring>
#include <system_error>
#include <tuple>
#include <utility>

namespace velmora {
namespace {

// Every field of a record is carried: a new text field belongs in LogRecord::Texts, a new
// scalar in Scalars below.
static_assert(sizeof(LogRecord) == 33144, "LogRecord changed: update PipelinedSink's packing");

// What the parser fills in, always carried.
struct Scalars {
  uint32_t client_address;
  int32_t server_port;
  int32_t status;
  int32_t bytes_sent;
  int32_t bytes_received;
  int32_t time_taken;
  CalendarTime calendar_time;
  Ticks time;
  uint32_t request_class;
  uint16_t analysed;
  uint16_t has_outputs;  // Outputs follow; otherwise they are at their reset values
  uint32_t texts;        // bit i: text i is not empty and follows with its length
};

// What the analysis fills in. The parser leaves these at their reset values, so they are carried
// only when they differ: 36 bytes less per record to cross from one core to the other.
struct Outputs {
  int32_t error_id;
  uint32_t resource_id;
  uint32_t user_agent_id;
  uint32_t referrer_id;
  uint32_t referrer_domain_id;
  uint32_t referrer_kind;
  uint32_t operating_system_id;
  uint32_t browser_id;
  uint32_t visit_id;

  friend bool operator==(const Outputs&, const Outputs&) = default;
};

Outputs OutputsOf(const LogRecord& r) {
  return {
      r.error_id,      r.resource_id,         r.user_agent_id, r.referrer_id, r.referrer_domain_id,
      r.referrer_kind, r.operating_system_id, r.browser_id,    r.visit_id};
}

void SetOutputs(LogRecord& r, const Outputs& o) {
  r.error_id = o.error_id;
  r.resource_id = o.resource_id;
  r.user_agent_id = o.user_agent_id;
  r.referrer_id = o.referrer_id;
  r.referrer_domain_id = o.referrer_domain_id;
  r.referrer_kind = o.referrer_kind;
  r.operating_system_id = o.operating_system_id;
  r.browser_id = o.browser_id;
  r.visit_id = o.visit_id;
}

// The outputs of a record just reset.
const Outputs kResetOutputs = [] {
  LogRecord r;
  r.Reset();
  return OutputsOf(r);
}();

Scalars ScalarsOf(const LogRecord& r, bool analysed, bool has_outputs, uint32_t texts) {
  return {r.client_address,
          r.server_port,
          r.status,
          r.bytes_sent,
          r.bytes_received,
          r.time_taken,
          r.calendar_time,
          r.time,
          r.request_class,
          static_cast<uint16_t>(analysed ? 1 : 0),
          static_cast<uint16_t>(has_outputs ? 1 : 0),
          texts};
}

void SetScalars(LogRecord& r, const Scalars& s) {
  r.client_address = s.client_address;
  r.server_port = s.server_port;
  r.status = s.status;
  r.bytes_sent = s.bytes_sent;
  r.bytes_received = s.bytes_received;
  r.time_taken = s.time_taken;
  r.calendar_time = s.calendar_time;
  r.time = s.time;
  r.request_class = s.request_class;
}

constexpr size_t kTextCount = std::tuple_size_v<decltype(std::declval<LogRecord&>().Texts())>;
constexpr size_t kAlign = 8;
static_assert(kTextCount <= 32, "one bit per text in Scalars::texts");
// Length word, scalars, outputs, and each text with its 16-bit length, at their longest.
constexpr size_t kLongestRecord =
    (4 + sizeof(Scalars) + sizeof(Outputs) + kTextCount * (2 + kLogTextCapacity) + kAlign - 1) /
    kAlign * kAlign;
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
  const auto texts = std::as_const(record).Texts();
  uint32_t present = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!texts[i]->empty()) present |= uint32_t{1} << i;
  }
  const Outputs outputs = OutputsOf(record);
  const bool has_outputs = !(outputs == kResetOutputs);
  unsigned char* out = &ring_[at + 4];
  const Scalars scalars = ScalarsOf(record, analysed, has_outputs, present);
  std::memcpy(out, &scalars, sizeof scalars);
  out += sizeof scalars;
  if (has_outputs) {
    std::memcpy(out, &outputs, sizeof outputs);
    out += sizeof outputs;
  }
  for (const LogText* text : texts) {
    if (text->empty()) continue;
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
      Outputs outputs = kResetOutputs;
      if (scalars.has_outputs != 0) {
        std::memcpy(&outputs, in, sizeof outputs);
        in += sizeof outputs;
      }
      SetOutputs(*record, outputs);
      const auto texts = record->Texts();
      for (size_t i = 0; i < texts.size(); ++i) {
        LogText* text = texts[i];
        if ((scalars.texts >> i & 1) == 0) {
          text->clear();
          continue;
        }
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
