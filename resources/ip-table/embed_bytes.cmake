# Writes a C++ source that holds a file's bytes as a constant array, so the program carries the
# packed IP table in itself and needs no file beside it at run time. Run as a script:
#
#   cmake -DINPUT=<file> -DOUTPUT=<source.cpp> -DFUNCTION=<name> -DHEADER=<header> -P embed_bytes.cmake
#
# The source defines `std::span<const unsigned char> velmora::<FUNCTION>()`, declared in HEADER.
# A plain array works with every compiler and sanitizer and needs no assembler tricks or linker
# flags; the build reruns this only when the packed file or this script changes.

foreach(var INPUT OUTPUT FUNCTION HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_bytes.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
if(byte_count EQUAL 0)
  message(FATAL_ERROR "embed_bytes.cmake: ${INPUT} is empty")
endif()

# Two hex digits become "0x..,"; 64 bytes to a line keep the lines short for editors and diffs.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 64 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")

get_filename_component(input_name "${INPUT}" NAME)
set(text "// Generated from ${input_name} by embed_bytes.cmake. Do not edit.
#include \"${HEADER}\"

namespace velmora {
namespace {

alignas(16) const unsigned char kBytes[${byte_count}] = {
${bytes}
};

}  // namespace

std::span<const unsigned char> ${FUNCTION}() { return {kBytes, sizeof kBytes}; }

}  // namespace velmora
")
file(WRITE "${OUTPUT}" "${text}")
