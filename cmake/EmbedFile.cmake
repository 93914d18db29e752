# Script mode: cmake -DIN=<file> -DOUT=<file.cpp> -DVAR=<identifier> -P EmbedFile.cmake
# Writes <file.cpp> defining the file's bytes as VAR[] and its size as VAR_size.
if(NOT DEFINED IN OR NOT DEFINED OUT OR NOT DEFINED VAR)
  message(FATAL_ERROR "EmbedFile.cmake needs IN, OUT and VAR")
endif()
if(NOT EXISTS "${IN}")
  message(FATAL_ERROR "EmbedFile.cmake: ${IN} does not exist")
endif()

file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" nHex)
math(EXPR nSize "${nHex} / 2")
# 16 bytes to a line keeps the generated file readable and diffable.
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")

file(WRITE "${OUT}.tmp"
"// Generated from ${IN}; do not edit.
#include <cstddef>

alignas(16) extern const unsigned char ${VAR}[] = {
${bytes}0x00};
extern const size_t ${VAR}_size = ${nSize};
")
file(RENAME "${OUT}.tmp" "${OUT}")
