#include "retrieval/internet_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <utility>

#include "core/ascii.h"
#include "retrieval/fetchlet_protocol.h"

namespace velmora {

struct InternetClient::Handle {
  CURL* curl = nullptr;
  CURL* http = nullptr;
  curl_slist* http_headers = nullptr;
  char error[CURL_ERROR_SIZE] = {};
};

namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Server paths go into the URL: everything but unreserved characters and "/" is escaped, and a
// leading "/" becomes %2F so that the path counts from the server's root rather than from the
// login folder.
std::string EncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || (c == '/' && i > 0);
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int MapCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return kInternetOk;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kInternetNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return kInternetCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kInternetTimeout;
    case CURLE_LOGIN_DENIED:
      return kInternetLoginRefused;
    case CURLE_REMOTE_ACCESS_DENIED:
      return kInternetAccessDenied;
    case CURLE_REMOTE_FILE_NOT_FOUND:
      return kInternetFileNotFound;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
      return kInternetCancelled;
    default:
      return kInternetExtendedError;
  }
}

struct Sink {
  std::vector<uint8_t>* bytes = nullptr;
  const InternetProgress* progress = nullptr;
  int64_t total = -1;
  bool cancelled = false;
};

size_t WriteBytes(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t n = size * count;
  sink->bytes->insert(sink->bytes->end(), data, data + n);
  if (sink->progress && *sink->progress &&
      !(*sink->progress)(3, static_cast<int64_t>(sink->bytes->size()), sink->total)) {
    sink->cancelled = true;
    return 0;  // curl ends the transfer with CURLE_WRITE_ERROR
  }
  return n;
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// An HTTP reply: its status and length are looked at once the headers are in, which is at the
// first body bytes or, for a reply without a body, after the transfer.
struct HttpSink {
  CURL* curl = nullptr;
  std::vector<uint8_t>* bytes = nullptr;
  const InternetProgress* progress = nullptr;
  bool headers_in = false;
  long status = 0;
  int64_t total = -1;
  bool refused = false;
  bool cancelled = false;

  bool Report(int phase, int64_t so_far) {
    if (progress && *progress && !(*progress)(phase, so_far, total)) {
      cancelled = true;
      return false;
    }
    return true;
  }
  bool HeadersIn() {
    headers_in = true;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    total = length >= 0 ? static_cast<int64_t>(length) : -1;
    if (status >= 300) {
      refused = true;
      return false;
    }
    return Report(1, 0) && Report(2, 0);
  }
};

size_t WriteHttp(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<HttpSink*>(user);
  const size_t n = size * count;
  if (!sink->headers_in && !sink->HeadersIn()) return 0;  // curl ends with CURLE_WRITE_ERROR
  // Piece by piece, so that Cancel stops the transfer within kHttpPieceSize bytes.
  for (size_t at = 0; at < n; at += kHttpPieceSize) {
    const size_t piece = std::min(kHttpPieceSize, n - at);
    sink->bytes->insert(sink->bytes->end(), data + at, data + at + piece);
    if (!sink->Report(2, static_cast<int64_t>(sink->bytes->size()))) return 0;
  }
  return n;
}

// One MLSD line, "type=file;size=10;modify=...; name": the name of a plain file, or empty.
std::string MlsdFileName(std::string_view line) {
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return {};
  std::string facts(line.substr(0, space));
  AsciiLowerInPlace(facts);
  if (("; " + facts).find(";type=file;") == std::string::npos &&
      (";" + facts).find(";type=file;") == std::string::npos) {
    return {};
  }
  return std::string(line.substr(space + 1));
}

// One Unix "ls -l" line: the name when the entry is a plain file ("-" in front), or empty.
std::string ListFileName(std::string_view line) {
  if (line.empty() || line[0] != '-') return {};
  size_t at = 0;
  for (int field = 0; field < 8; ++field) {
    at = line.find_first_not_of(' ', at);
    if (at == std::string_view::npos) return {};
    at = line.find(' ', at);
    if (at == std::string_view::npos) return {};
  }
  at = line.find_first_not_of(' ', at);
  return at == std::string_view::npos ? std::string() : std::string(line.substr(at));
}

std::string FileNames(std::string_view listing, std::string (*name_of)(std::string_view)) {
  std::string names;
  while (!listing.empty()) {
    size_t end = listing.find('\n');
    std::string_view line = listing.substr(0, end);
    listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    std::string name = name_of(line);
    if (!name.empty()) names += name + "\n";
  }
  return names;
}

}  // namespace

InternetClient::InternetClient(InternetTimeouts timeouts)
    : timeouts_(timeouts), handle_(std::make_unique<Handle>()) {
  GlobalInit();
  handle_->curl = curl_easy_init();
}

InternetClient::~InternetClient() {
  CloseHttp();
  if (handle_->curl) curl_easy_cleanup(handle_->curl);
}

std::string InternetClient::Url(const std::string& path) const {
  return scheme_ + host_ + ":" + std::to_string(port_) + "/" + EncodePath(path);
}

int InternetClient::ConnectFtp(const std::string& host, int port, bool passive,
                               const std::string& user, const std::string& password) {
  if (!handle_->curl) return kInternetNoConnection;
  if (connected_) return kInternetAlreadyConnected;
  std::string name = host;
  tls_ = false;
  if (name.rfind("ftps://", 0) == 0) {
    tls_ = true;
    name = name.substr(7);
  } else if (name.rfind("ftp://", 0) == 0) {
    name = name.substr(6);
  }
  while (!name.empty() && name.back() == '/') name.pop_back();
  host_ = name;
  scheme_ = "ftp://";
  port_ = port;
  passive_ = passive;
  user_ = user.empty() ? "anonymous" : user;
  password_ = user.empty() ? std::string(kAnonymousPassword) : password;
  if (progress_) progress_(0, 0, -1);
  connected_ = true;
  // Logging in now, rather than at the first listing, lets a refused login or a dead server show
  // as a connection failure.
  const int code = Perform("", false);
  if (code != kInternetOk) {
    CloseFtp();
    return code;
  }
  if (progress_) progress_(1, 0, -1);
  return kInternetOk;
}

void InternetClient::CloseFtp() {
  connected_ = false;
  if (handle_->curl) curl_easy_reset(handle_->curl);
  password_.assign(password_.size(), '\0');
  password_.clear();
}

int InternetClient::Perform(const std::string& path, bool body) {
  CURL* curl = handle_->curl;
  curl_easy_setopt(curl, CURLOPT_URL, Url(path).c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, std::string(kInternetAgent).c_str());
  curl_easy_setopt(curl, CURLOPT_USERNAME, user_.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
  curl_easy_setopt(curl, CURLOPT_FTPPORT, passive_ ? nullptr : "-");
  curl_easy_setopt(curl, CURLOPT_USE_SSL, tls_ ? CURLUSESSL_ALL : CURLUSESSL_NONE);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeouts_.connect_seconds));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                   static_cast<long>(timeouts_.stall_seconds));
  curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, timeouts_.connect_seconds * 1000L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.stall_seconds));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle_->error);
  curl_easy_setopt(curl, CURLOPT_NOBODY, body ? 0L : 1L);
  if (!body) {
    // Curl hands a size-only request's answer to the body writer as header-like lines.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  }
  handle_->error[0] = '\0';
  const CURLcode code = curl_easy_perform(curl);
  detail_ = handle_->error[0] ? handle_->error : curl_easy_strerror(code);
  if (code == CURLE_OK) detail_.clear();
  return MapCurl(code);
}

int InternetClient::ListFtp(const std::string& folder, std::string& names) {
  names.clear();
  if (!connected_) return kInternetNoConnection;
  std::string dir = folder;
  if (dir.empty() || dir.back() != '/') dir += '/';
  current_ = dir;
  std::vector<uint8_t> bytes;
  Sink sink{&bytes, nullptr, -1, false};
  CURL* curl = handle_->curl;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBytes);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  // MLSD says plainly which entries are files; servers without it get LIST, read the Unix way.
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "MLSD");
  int code = Perform(dir, true);
  std::string (*name_of)(std::string_view) = MlsdFileName;
  if (code == kInternetExtendedError) {
    bytes.clear();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    code = Perform(dir, true);
    name_of = ListFileName;
  }
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
  if (code != kInternetOk) return code;
  names = FileNames(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                    name_of);
  return kInternetOk;
}

int InternetClient::DownloadFtp(const std::string& path, std::vector<uint8_t>& data) {
  data.clear();
  if (!connected_) return kInternetNoConnection;
  current_ = path;
  CURL* curl = handle_->curl;
  curl_easy_setopt(curl, CURLOPT_FILETIME, 0L);
  int code = Perform(path, false);  // SIZE only: tells a missing file and the total
  if (code != kInternetOk) return code;
  curl_off_t size = -1;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
  const int64_t total = size >= 0 ? static_cast<int64_t>(size) : -1;
  if (progress_ && !progress_(1, 0, total)) return kInternetCancelled;
  if (progress_ && !progress_(3, 0, total)) return kInternetCancelled;
  Sink sink{&data, &progress_, total, false};
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBytes);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
  code = Perform(path, true);
  if (sink.cancelled) code = kInternetCancelled;
  if (code != kInternetOk) data.clear();
  return code;
}

int InternetClient::DeleteFtp(const std::string& path) {
  if (!connected_) return kInternetNoConnection;
  current_ = path;
  curl_slist* commands = curl_slist_append(nullptr, ("DELE " + path).c_str());
  curl_easy_setopt(handle_->curl, CURLOPT_QUOTE, commands);
  const int code = Perform("", false);
  curl_easy_setopt(handle_->curl, CURLOPT_QUOTE, nullptr);
  curl_slist_free_all(commands);
  return code;
}

int InternetClient::ConnectHttp(const std::string& server, int port, const std::string& user,
                                const std::string& password) {
  if (http_connected_) return kInternetAlreadyConnected;
  const HttpEndpoint endpoint = ParseServerName(server, port);
  if (endpoint.host.empty()) return kInternetInvalidUrl;
  handle_->http = curl_easy_init();
  if (!handle_->http) return kInternetNoConnection;
  http_tls_ = endpoint.tls;
  http_base_ =
      (endpoint.tls ? "https://" : "http://") + endpoint.host + ":" + std::to_string(endpoint.port);
  http_user_ = user;
  http_password_ = password;
  handle_->http_headers = curl_slist_append(nullptr, "Pragma: no-cache");
  handle_->http_headers = curl_slist_append(handle_->http_headers, "Cache-Control: no-cache");
  http_connected_ = true;
  return kInternetOk;
}

void InternetClient::CloseHttp() {
  if (handle_->http) curl_easy_cleanup(handle_->http);
  handle_->http = nullptr;
  curl_slist_free_all(handle_->http_headers);
  handle_->http_headers = nullptr;
  http_connected_ = false;
  http_password_.assign(http_password_.size(), '\0');
  http_password_.clear();
}

int InternetClient::HttpGet(const std::string& target, std::vector<uint8_t>& data) {
  data.clear();
  http_status_ = 0;
  if (!http_connected_) return kInternetNoConnection;
  current_ = target;
  CURL* curl = handle_->http;
  const std::string url = http_base_ + (target.rfind('/', 0) == 0 ? "" : "/") + target;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  // The target goes as built: curl would otherwise fold "/./" and "/../" in the path.
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle_->http_headers);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, std::string(kInternetAgent).c_str());
  if (!http_user_.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_USERNAME, http_user_.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, http_password_.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeouts_.connect_seconds));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.stall_seconds));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle_->error);
  HttpSink sink;
  sink.curl = curl;
  sink.bytes = &data;
  sink.progress = &progress_;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteHttp);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

  if (!sink.Report(0, 0)) return kInternetCancelled;
  handle_->error[0] = '\0';
  const CURLcode code = curl_easy_perform(curl);
  detail_ = handle_->error[0] ? handle_->error : curl_easy_strerror(code);
  if (code == CURLE_OK) {
    detail_.clear();
    if (!sink.headers_in) sink.HeadersIn();  // a reply without a body
  }
  http_status_ = sink.status;
  int result = MapCurl(code);
  if (sink.refused) {
    result =
        (sink.status == 401 || sink.status == 403) ? kInternetAccessDenied : kInternetHttpStatus;
    detail_ = "HTTP status " + std::to_string(sink.status);
  } else if (sink.cancelled) {
    result = kInternetCancelled;
  }
  if (result != kInternetOk) data.clear();
  return result;
}

std::string InternetErrorText(int code) {
  struct Row {
    int code;
    const char* text;
  };
  static constexpr Row kRows[] = {
      {kInternetAccessDenied, "Access is forbidden or authorization required"},
      {kInternetFileNotFound, "The file was not found on the server."},
      {kInternetCancelled, "The operation was cancelled."},
      {kInternetAlreadyConnected, "A connection is already open."},
      {kInternetHttpStatus, "The server answered with an error status."},
      {kInternetNoConnection, "There is no connection to the server."},
      {12001, "No more handles could be generated at this time."},
      {12002, "The request has timed out."},
      {12003, "An extended error was returned from the server."},
      {12004, "An internal error has occurred."},
      {12005, "The URL is invalid."},
      {12006, "The URL scheme could not be recognized, or is not supported."},
      {12007, "The server name could not be resolved."},
      {12008, "The requested protocol could not be located."},
      {12009, "A request to set or query an option gave an invalid value."},
      {12010, "The length of an option value is wrong for that option."},
      {12011, "The option cannot be set, only queried."},
      {12012, "The Internet functions are being shut down."},
      {12013,
       "The request to connect and log on to an FTP server could not be completed "
       "because the supplied user name is incorrect."},
      {12014,
       "The request to connect and log on to an FTP server could not be completed\n"
       "because the supplied password is incorrect."},
      {12015, "The request to connect to and log on to an FTP server failed."},
      {12016, "The requested operation is not valid."},
      {12017, "The operation was canceled."},
      {12018, "The handle given is of the wrong type for this operation."},
      {12019, "The handle is not in the right state for this operation."},
      {12020, "The request cannot be made through a proxy."},
      {12021, "A required registry value could not be found."},
      {12022, "A required registry value has the wrong type or an invalid value."},
      {12023, "Direct network access cannot be made at this time."},
      {12024, "An asynchronous request could not be made: no context value was given."},
      {12025, "An asynchronous request could not be made: no status callback was set."},
      {12026, "The operation cannot complete because requests are still pending."},
      {12027, "The format of the request is invalid."},
      {12028, "The requested item could not be located."},
      {12029, "The attempt to connect to the server failed."},
      {12030, "The connection with the server has been terminated."},
      {12031, "The connection with the server has been reset."},
      {12032, "The function needs the request to be sent again."},
      {12033, "The proxy request is invalid."},
      {12036, "The request failed because the handle already exists."},
      {12037,
       "The date of the server's SSL certificate is not valid; the certificate has "
       "expired."},
      {12038, "The host name in the server's SSL certificate does not match the server."},
      {12039, "The application is moving from a secure to an insecure connection."},
      {12040, "The application is moving from an insecure to a secure connection."},
      {12041, "The content is not entirely secure: some of it may come from insecure servers."},
      {12042, "The application is posting data to a server that is not secure."},
      {12043, "The application is posting and changing data on an insecure connection."},
      {12110,
       "The requested operation cannot be made on the FTP session handle because an "
       "operation is already in progress."},
      {12111, "The FTP operation was not completed because the session was aborted."},
      {12130, "The data sent to or received from the Gopher server could not be understood."},
      {12131, "The request must be made for a file locator."},
      {12132, "An error was found while parsing the data."},
      {12133, "There is no more data."},
      {12134, "The locator given is not valid."},
      {12135, "The type of the locator is not right for this operation."},
      {12136,
       "The operation can only be made against a Gopher+ server, or with a locator of a "
       "Gopher+ operation."},
      {12137, "The requested attribute could not be located."},
      {12138, "The locator type is unknown."},
      {12150, "The requested header could not be located."},
      {12151, "The server did not return any headers."},
      {12152, "The server response could not be parsed."},
      {12153, "The header given is not valid."},
      {12154, "The request made to query a header is not valid."},
      {12155, "The header could not be added because it already exists."},
      {12156, "The redirection failed: the scheme changed or all attempts to redirect failed."},
  };
  for (const Row& row : kRows) {
    if (row.code == code) return row.text;
  }
  return "Unknown error";
}

}  // namespace velmora
