// InternetClient: FTP and HTTP retrieval over libcurl. One client per retrieval run; it keeps one
// curl handle per service so that listing, downloads and deletions reuse the same connection.
//
// Operations answer a result code rather than throwing, because the retrieval shows each failure
// in a box and then decides per step whether to end or to go on with the next file. Curl's own
// errors are mapped onto the codes below and onto the 12xxx numbers of ErrorText, so that what the
// user reads does not depend on the transport library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

inline constexpr int kInternetOk = 0;
inline constexpr int kInternetAccessDenied = 5;
inline constexpr int kInternetFileNotFound = 1168;
inline constexpr int kInternetCancelled = 1223;
inline constexpr int kInternetAlreadyConnected = 1230;
inline constexpr int kInternetHttpStatus = 1920;
inline constexpr int kInternetNoConnection = 2250;
// The numbers curl's failures become (described by ErrorText).
inline constexpr int kInternetTimeout = 12002;
inline constexpr int kInternetInvalidUrl = 12005;
inline constexpr int kInternetNameNotResolved = 12007;
inline constexpr int kInternetLoginRefused = 12014;
inline constexpr int kInternetCannotConnect = 12029;
inline constexpr int kInternetExtendedError = 12003;

inline constexpr std::string_view kInternetAgent = "Velmora/1.2";
// Sent as the password of an anonymous login, as the anonymous-FTP convention asks.
inline constexpr std::string_view kAnonymousPassword = "velmora@example.com";

// Phases of the progress callback: 0 connecting, 1 connected or file opened, 2 (HTTP) or 3 (FTP)
// bytes read. `total` is -1 when the size is not known.
using InternetProgress = std::function<bool(int phase, int64_t so_far, int64_t total)>;

struct InternetTimeouts {
  int connect_seconds = 30;
  // A transfer or a server reply that makes no progress for this long is given up, so that a
  // server that stops answering never hangs a retrieval.
  int stall_seconds = 60;
};

class InternetClient {
 public:
  explicit InternetClient(InternetTimeouts timeouts = {});
  ~InternetClient();
  InternetClient(const InternetClient&) = delete;
  InternetClient& operator=(const InternetClient&) = delete;

  void SetProgress(InternetProgress progress) { progress_ = std::move(progress); }

  // `host` may start with ftp:// or, for explicit TLS, ftps://. An empty user logs in as
  // "anonymous" with kAnonymousPassword.
  int ConnectFtp(const std::string& host, int port, bool passive, const std::string& user,
                 const std::string& password);
  void CloseFtp();

  // The names of the plain files of `folder`, each followed by a line feed.
  int ListFtp(const std::string& folder, std::string& names);
  // The whole file or a failure: `data` is only meaningful when 0 is returned.
  int DownloadFtp(const std::string& path, std::vector<uint8_t>& data);
  int DeleteFtp(const std::string& path);

  // `server` is the server name of the settings: "NAME[:PORT]", "http://..." or, for TLS on port
  // 443 unless the name gives a port, "https://...". Nothing is sent until the first HttpGet; an
  // empty user sends no credentials.
  int ConnectHttp(const std::string& server, int port, const std::string& user,
                  const std::string& password);
  void CloseHttp();
  bool http_tls() const { return http_tls_; }
  // GET `target` (a path and query, already encoded) into `data`, read in pieces of
  // kHttpPieceSize with the progress callback after each: 0, then 1 and 2 once the headers are
  // in, then 2 per piece. A status of 300 or more gives kInternetAccessDenied for 401 and 403 and
  // kInternetHttpStatus otherwise (http_status() tells which); a callback that answers false
  // gives kInternetCancelled. `data` is only meaningful when 0 is returned.
  int HttpGet(const std::string& target, std::vector<uint8_t>& data);
  // The status of the last HTTP reply, 0 when none came.
  long http_status() const { return http_status_; }

  // The current transfer's remote path, for progress texts.
  const std::string& current_object() const { return current_; }
  // Curl's own words for the last failure, for notes beside ErrorText.
  const std::string& last_detail() const { return detail_; }

 private:
  struct Handle;
  int Perform(const std::string& path, bool body);
  std::string Url(const std::string& path) const;

  InternetTimeouts timeouts_;
  std::unique_ptr<Handle> handle_;
  InternetProgress progress_;
  std::string host_, user_, password_, scheme_;
  int port_ = 21;
  bool passive_ = true;
  bool tls_ = false;
  bool connected_ = false;
  std::string current_;
  std::string detail_;

  std::string http_base_;  // "http[s]://host:port"
  std::string http_user_, http_password_;
  bool http_tls_ = false;
  bool http_connected_ = false;
  long http_status_ = 0;
};

inline constexpr size_t kHttpPieceSize = 256;

// The description of a result code; "Unknown error" for codes without one.
std::string InternetErrorText(int code);

}  // namespace velmora
