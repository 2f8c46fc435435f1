#include "analysis/agents/user_agent.h"

#include "analysis/agents/browser_rules.h"
#include "analysis/agents/spider_table.h"
#include "analysis/agents/user_agent_os.h"
#include "core/ascii.h"

namespace velmora {
namespace {

std::string_view AsStored(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, kMaxUserAgentLength);
}

}  // namespace

UserAgentClass ClassifyUserAgent(std::string_view text) {
  text = AsStored(text);
  UserAgentClass out;
  out.lowered = AsciiLowered(text);
  out.browser = BrowserName(text, out.lowered);
  out.os = std::string(OperatingSystemName(out.lowered));
  return out;
}

UserAgentInspection InspectUserAgent(std::string_view text) {
  std::string logged(AsStored(text));
  for (char& c : logged) {
    if (c == '+') c = ' ';
  }
  UserAgentClass classified = ClassifyUserAgent(logged);
  UserAgentInspection out;
  out.browser = std::move(classified.browser);
  out.os = std::move(classified.os);
  out.spider = RecognizeSpider(classified.lowered);
  out.spider_name = std::string(SpiderName(out.spider));
  return out;
}

}  // namespace velmora
