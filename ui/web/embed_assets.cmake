# Writes a C++ source that holds the web page's files (HTML, CSS, JavaScript modules, SVG) as
# constant arrays, so `velmora serve` carries its page in itself and reads nothing from disk. The
# bytes become hex arrays the way resources/ip-table/embed_bytes.cmake makes them. Run as a script:
#
#   cmake -DASSET_DIR=<folder> -DOUTPUT=<source.cpp> -P embed_assets.cmake
#
# Every file of ASSET_DIR is served under "/" + its name; the source defines
# velmora::web::WebAssets() of ui/web/web_assets.h.

foreach(var ASSET_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_assets.cmake: ${var} is not set")
  endif()
endforeach()

file(GLOB names RELATIVE "${ASSET_DIR}" "${ASSET_DIR}/*")
list(SORT names)
set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS names)
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "embed_assets.cmake: no content type for ${name}")
  endif()
  file(READ "${ASSET_DIR}/${name}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REPEAT "0x..," 32 line_pattern)
  string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char kFile${index}[] = {\n${bytes}0x00};\n")
  string(APPEND entries
         "    {\"/${name}\", \"${type}\", {kFile${index}, sizeof kFile${index} - 1}},\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated from ui/web/assets by embed_assets.cmake. Do not edit.
#include \"ui/web/web_assets.h\"

namespace velmora::web {
namespace {

${arrays}
const WebAsset kAssets[] = {
${entries}};

}  // namespace

std::span<const WebAsset> WebAssets() { return kAssets; }

}  // namespace velmora::web
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
