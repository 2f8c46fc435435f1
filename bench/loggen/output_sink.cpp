#include "bench/loggen/output_sink.h"

#include <bzlib.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace velmora::loggen {
namespace {

Error SystemError(std::string_view what, int code) {
  return Error{code, std::string(what) + ": " + std::strerror(code)};
}

// A file descriptor that writes everything it is given.
class FileOutput {
 public:
  FileOutput(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FileOutput() {
    if (owned_ && fd_ >= 0) ::close(fd_);
  }
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  Status Write(const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return SystemError("cannot write the output", errno);
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return {};
  }

  Status Close() {
    if (!owned_ || fd_ < 0) return {};
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return SystemError("cannot close the output", errno);
    return {};
  }

 private:
  int fd_;
  bool owned_;
};

class PlainSink final : public OutputSink {
 public:
  explicit PlainSink(std::unique_ptr<FileOutput> file) : file_(std::move(file)) {}
  Status Write(std::string_view bytes) override { return file_->Write(bytes.data(), bytes.size()); }
  Status Finish() override { return file_->Close(); }

 private:
  std::unique_ptr<FileOutput> file_;
};

constexpr size_t kCompressedChunk = 1 << 18;

class GzipSink final : public OutputSink {
 public:
  explicit GzipSink(std::unique_ptr<FileOutput> file)
      : file_(std::move(file)), out_(kCompressedChunk) {
    // windowBits 15 + 16: deflate wrapped in a gzip header and trailer.
    ready_ = deflateInit2(&z_, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~GzipSink() override {
    if (ready_) deflateEnd(&z_);
  }

  // An empty write must not reach deflate, which reports "no progress" for it.
  Status Write(std::string_view bytes) override {
    return bytes.empty() ? Status() : Pump(bytes, Z_NO_FLUSH);
  }
  Status Finish() override {
    Status s = Pump({}, Z_FINISH);
    if (!s.ok()) return s;
    return file_->Close();
  }

 private:
  Status Pump(std::string_view bytes, int flush) {
    if (!ready_) return Error{0, "cannot start the gzip compressor"};
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z_.avail_in = static_cast<uInt>(bytes.size());
    for (;;) {
      z_.next_out = reinterpret_cast<Bytef*>(out_.data());
      z_.avail_out = static_cast<uInt>(out_.size());
      const int rc = deflate(&z_, flush);
      if (rc == Z_STREAM_ERROR) return Error{0, "gzip compression failed"};
      Status s = file_->Write(out_.data(), out_.size() - z_.avail_out);
      if (!s.ok()) return s;
      if (flush == Z_FINISH ? rc == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) {
        return {};
      }
    }
  }

  std::unique_ptr<FileOutput> file_;
  std::vector<char> out_;
  z_stream z_{};
  bool ready_ = false;
};

class Bzip2Sink final : public OutputSink {
 public:
  explicit Bzip2Sink(std::unique_ptr<FileOutput> file)
      : file_(std::move(file)), out_(kCompressedChunk) {
    ready_ = BZ2_bzCompressInit(&bz_, 9, 0, 0) == BZ_OK;
  }
  ~Bzip2Sink() override {
    if (ready_) BZ2_bzCompressEnd(&bz_);
  }

  // libbz2 refuses BZ_RUN without input.
  Status Write(std::string_view bytes) override {
    return bytes.empty() ? Status() : Pump(bytes, BZ_RUN);
  }
  Status Finish() override {
    Status s = Pump({}, BZ_FINISH);
    if (!s.ok()) return s;
    return file_->Close();
  }

 private:
  Status Pump(std::string_view bytes, int action) {
    if (!ready_) return Error{0, "cannot start the bzip2 compressor"};
    bz_.next_in = const_cast<char*>(bytes.data());
    bz_.avail_in = static_cast<unsigned>(bytes.size());
    for (;;) {
      bz_.next_out = out_.data();
      bz_.avail_out = static_cast<unsigned>(out_.size());
      const int rc = BZ2_bzCompress(&bz_, action);
      if (rc < 0) return Error{0, "bzip2 compression failed"};
      Status s = file_->Write(out_.data(), out_.size() - bz_.avail_out);
      if (!s.ok()) return s;
      if (action == BZ_FINISH ? rc == BZ_STREAM_END : bz_.avail_in == 0) return {};
    }
  }

  std::unique_ptr<FileOutput> file_;
  std::vector<char> out_;
  bz_stream bz_{};
  bool ready_ = false;
};

}  // namespace

std::optional<Compression> ParseCompression(std::string_view name) {
  if (name == "none") return Compression::kNone;
  if (name == "gzip" || name == "gz") return Compression::kGzip;
  if (name == "bzip2" || name == "bz2") return Compression::kBzip2;
  return std::nullopt;
}

Compression CompressionForName(std::string_view path) {
  if (path.ends_with(".gz")) return Compression::kGzip;
  if (path.ends_with(".bz2")) return Compression::kBzip2;
  return Compression::kNone;
}

Result<std::unique_ptr<OutputSink>> OpenOutput(std::string_view path, Compression compression) {
  std::unique_ptr<FileOutput> file;
  if (path == "-") {
    file = std::make_unique<FileOutput>(STDOUT_FILENO, false);
  } else {
    const std::string name(path);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return SystemError("cannot open " + name, errno);
    file = std::make_unique<FileOutput>(fd, true);
  }
  std::unique_ptr<OutputSink> sink;
  switch (compression) {
    case Compression::kNone:
      sink = std::make_unique<PlainSink>(std::move(file));
      break;
    case Compression::kGzip:
      sink = std::make_unique<GzipSink>(std::move(file));
      break;
    case Compression::kBzip2:
      sink = std::make_unique<Bzip2Sink>(std::move(file));
      break;
  }
  return sink;
}

}  // namespace velmora::loggen
