// What goes to and comes from the Fetchlet companion: its two requests, built as request targets
// ready to send, the first line of its list reply, and the server name of the settings read as
// scheme, host and port.
//
// The query parts are file names and folders from the server and the settings, so they are
// percent-encoded where a character may not stand raw in a request target (a blank, '#', '%',
// '"', '<', '>', '\', '^', '`', '{', '|', '}', control bytes and bytes above 127); everything
// else, '/', '?', '&', '.', '-', '_', letters and digits included, goes as it is, so that a
// target like "/cgi-bin/fl.dll?dir&30&1&/logs" reads exactly as the companion expects.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// `text` with the characters that may not stand raw in a request target percent-encoded.
std::string EncodeRequestPart(std::string_view text);

// "%s?dir&%d&%d&%s": interface path, files to keep, use-gzip flag (1 or 0), path to log files.
std::string FetchletListRequest(std::string_view interface_path, int files_to_keep, bool gzip,
                                std::string_view log_path);
// "%s?get&%s&%s": interface path, the file entry exactly as listed, path to log files.
std::string FetchletGetRequest(std::string_view interface_path, std::string_view entry,
                               std::string_view log_path);

// The list reply: a first line beginning with "OK" (in any case), then one file entry per line.
// Lines end at CR or LF; blank ones are skipped.
struct FetchletList {
  bool ok = false;
  std::string first_line;    // trimmed, at most 1,024 characters, control bytes shown as '?'
  std::string_view entries;  // the rest of the body, when ok
};
FetchletList ReadFetchletList(std::string_view body);

struct HttpEndpoint {
  std::string host;  // without scheme, port or path; empty when the name holds none
  int port = 80;
  bool tls = false;
};
// "NAME", "NAME:PORT", "http://NAME[:PORT]" or "https://NAME[:PORT]" (a trailing path is
// ignored): https means TLS, on port 443 unless the name says otherwise; plain names use
// `default_port`.
HttpEndpoint ParseServerName(std::string_view name, int default_port);

}  // namespace velmora
