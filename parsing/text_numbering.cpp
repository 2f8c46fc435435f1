#include "parsing/text_numbering.h"

#include "core/text_hash.h"

namespace velmora {

uint32_t TextNumbering::Number(std::string_view text) {
  const uint32_t hash = HashText(text);
  if (!slots_.empty()) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask; slots_[i].number != 0; i = (i + 1) & mask) {
      if (slots_[i].hash == hash && TextOf(slots_[i].number) == text) return slots_[i].number;
    }
  }
  if (spans_.size() >= kMaxTexts || bytes_.size() + text.size() > kMaxBytes) return 0;
  if ((spans_.size() + 1) * 4 > slots_.size() * 3) Grow();
  spans_.push_back(Span{static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size())});
  bytes_.append(text);
  const auto number = static_cast<uint32_t>(spans_.size());
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].number != 0) i = (i + 1) & mask;
  slots_[i] = Slot{hash, number};
  return number;
}

void TextNumbering::Clear() {
  slots_ = {};
  spans_ = {};
  bytes_ = {};
}

std::string_view TextNumbering::TextOf(uint32_t number) const {
  const Span span = spans_[number - 1];
  return std::string_view(bytes_).substr(span.offset, span.size);
}

void TextNumbering::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.number == 0) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].number != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void RecordTextNumbering::Number(LogRecord& record) {
  // Empty texts are filed without a lookup, so they need no number.
  if (!record.uri_stem.empty()) record.uri_stem_number = uri_stem.Number(record.uri_stem.view());
  if (!record.user_agent.empty()) {
    record.user_agent_number = user_agent.Number(record.user_agent.view());
  }
  if (!record.referrer.empty()) record.referrer_number = referrer.Number(record.referrer.view());
}

void RecordTextNumbering::Clear() {
  uri_stem.Clear();
  user_agent.Clear();
  referrer.Clear();
}

}  // namespace velmora
