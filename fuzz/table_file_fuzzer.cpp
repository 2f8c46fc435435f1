// Opening a string table whose files were damaged: one of its three files (heap, offsets,
// sorted index) is overwritten from its start by the input, or replaced by it whole, and the
// table is then opened, read through every id and index position, searched and added to.
// The first input byte chooses the file (low two bits) and overwrite or replace (bit 2).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/prompter.h"
#include "storage/heap_table_files.h"
#include "storage/string_table.h"
#include "storage/table_file_name.h"

namespace {

std::string ScratchFolder() {
  std::string dir = velmora::fuzz::WriteScratchFile("unused", "");
  std::filesystem::remove(dir);
  dir += ".db";
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string folder = ScratchFolder();
  const std::string table_path = folder + "/Strings";
  velmora::ScriptedPrompter prompter;  // Retry/Cancel answers Cancel: no endless retries
  {
    velmora::StringTable table(prompter);
    if (!table.Create(table_path, 0)) return 0;
    for (const char* text : {"index.html", "a", "/images/logo.png", ""}) table.FindOrAdd(text);
    table.Close();
  }
  const uint32_t file_id = velmora::HeapTableFileId(0) + (data[0] & 3) % 3;
  const std::string disk = velmora::HashedTableFileName(table_path, file_id);
  const int flags = O_WRONLY | ((data[0] & 4) != 0 ? O_TRUNC : 0);
  if (const int fd = open(disk.c_str(), flags); fd >= 0) {
    (void)!pwrite(fd, data + 1, size - 1, 0);
    close(fd);
  }
  velmora::StringTable table(prompter);
  if (table.OpenOrCreate(table_path, 0)) {
    size_t total = 0;
    for (int32_t id = -1; id <= table.Count(); ++id) total += table.Get(id).size();
    for (int32_t pos = -1; pos <= table.index().Count(); ++pos) {
      total += table.Get(table.IdAtIndexPosition(pos)).size();
    }
    (void)table.Find("index.html");
    (void)table.FindOrAdd("a new text");
    (void)total;
  }
  table.Close();
  return 0;
}
