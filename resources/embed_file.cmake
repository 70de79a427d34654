# Turns one BMP file into a C++ source that defines its embedded resource.
# The 14-byte file header is dropped, as a resource compiler does: the
# embedded bytes start with the bitmap's info header.
# Inputs: INPUT (the .bmp), OUTPUT (the .cpp), SYMBOL, KIND, ID, NAME.
file(READ "${INPUT}" magic LIMIT 2 HEX)
if(NOT magic STREQUAL "424d")
  message(FATAL_ERROR "${INPUT} is not a BMP file (no \"BM\" at its start)")
endif()
file(READ "${INPUT}" hex OFFSET 14 HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
if(byteCount LESS 40)
  message(FATAL_ERROR "${INPUT} is too short for a bitmap (${byteCount} bytes after the file header)")
endif()
# Sixteen bytes a line keeps the generated source readable and the lines short.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
string(CONFIGURE [=[// Generated from @INPUT@; do not edit.
#include "resources/embedded_resource.h"

namespace {
const std::uint8_t kBytes[@byteCount@] = {
@bytes@
};
}  // namespace

extern const EmbeddedResource @SYMBOL@;
const EmbeddedResource @SYMBOL@ = {ResourceKind::@KIND@, @ID@, "@NAME@", kBytes, sizeof kBytes};
]=] source @ONLY)
file(WRITE "${OUTPUT}" "${source}")
