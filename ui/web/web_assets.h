// The files of the page `velmora serve` shows, compiled into the program (embed_assets.cmake):
// index.html, its style sheet, its JavaScript modules and the report-tree icons.
#pragma once

#include <span>
#include <string_view>

namespace velmora::web {

struct WebAsset {
  std::string_view path;  // "/index.html", ...
  std::string_view content_type;
  std::span<const unsigned char> bytes;
};

std::span<const WebAsset> WebAssets();

}  // namespace velmora::web
