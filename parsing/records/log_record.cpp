#include "parsing/records/log_record.h"

namespace velmora {

void LogRecord::Reset() {
  for (LogText* text : Texts()) text->clear();
  client_address = 0;
  server_port = 0;
  status = 0;
  error_id = -1;
  resource_id = 0;
  bytes_sent = 0;
  bytes_received = 0;
  time_taken = 0;
  user_agent_id = 0;
  referrer_id = 0;
  calendar_time = kZeroCalendarTime;
  time = 0;
  request_class = 0;
  referrer_domain_id = 0;
  referrer_kind = 1;
  operating_system_id = 0;
  browser_id = 0;
  visit_id = 0;
}

}  // namespace velmora
