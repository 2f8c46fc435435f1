// Constants of the workspace settings file (.stw): the size and field offsets of the fixed
// SettingsBlock and the three known headers. Only settings_block_codec.cpp and the tests that
// check the layout byte by byte should need them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::settings_format {

inline constexpr size_t kBlockSize = 5760;
inline constexpr size_t kHeaderSize = 10;

// "STP", the revision byte, 0, a 32-bit stamp and the 16-bit value 2.
using Header = std::array<uint8_t, kHeaderSize>;
inline constexpr Header kHeaderRevision1 = {0x53, 0x54, 0x50, 0x03, 0x00,
                                            0x10, 0x07, 0x20, 0x02, 0x00};
inline constexpr Header kHeaderRevision2 = {0x53, 0x54, 0x50, 0x04, 0x00,
                                            0x05, 0x08, 0x20, 0x02, 0x00};
// The only header written.
inline constexpr Header kHeaderRevision3 = {0x53, 0x54, 0x50, 0x05, 0x00,
                                            0x11, 0x09, 0x20, 0x02, 0x00};

// Field offsets; text fields are kTextFieldSize bytes unless a width is given.
inline constexpr size_t kHeader = 0;
inline constexpr size_t kWorkspaceName = 10;
inline constexpr size_t kServerNames = 270;
inline constexpr size_t kDefaultFile = 530;
inline constexpr size_t kHttpServer = 790;
inline constexpr size_t kFtpServer = 1050;
inline constexpr size_t kFetchletPath = 1310;
inline constexpr size_t kHttpLogPath = 1570;
inline constexpr size_t kFtpLogPath = 1830;
inline constexpr size_t kReserved1 = 2090;  // 2 bytes
inline constexpr size_t kFtpPort = 2092;
inline constexpr size_t kPassiveFtp = 2096;
inline constexpr size_t kHttpUser = 2100;
inline constexpr size_t kFtpLogin = 2360;
inline constexpr size_t kHttpPassword = 2620;
inline constexpr size_t kFtpPassword = 2880;
inline constexpr size_t kRetrievalOptions = 3140;
inline constexpr size_t kFetchletGzip = 3144;
inline constexpr size_t kHttpFilesToKeep = 3148;
inline constexpr size_t kFtpFilesToKeep = 3152;
inline constexpr size_t kRetrieveMethod = 3156;
inline constexpr size_t kLogFormatMode = 3160;
inline constexpr size_t kLocalCompression = 3164;
inline constexpr size_t kCustomFormat = 3168;  // 2048 bytes
inline constexpr size_t kSessionTimeout = 5216;
inline constexpr size_t kServerTimeZone = 5220;
inline constexpr size_t kYourTimeZone = 5224;
inline constexpr size_t kSwitchToRecent = 5228;
inline constexpr size_t kFlags = 5232;
inline constexpr size_t kExportLimit = 5236;
inline constexpr size_t kCombinedExportLimit = 5240;
inline constexpr size_t kOpenExportedReport = 5244;
inline constexpr size_t kReserved2 = 5248;  // 512 bytes, to the end of the block

}  // namespace velmora::settings_format
