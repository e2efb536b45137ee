# Writes a C++ source that holds the bytes of a file as an array:
# cmake -DINPUT=file -DOUTPUT=source.cpp -DNAME=kArray -P embed_bytes.cmake
# The array and its size are in namespace morvel; a header declares them.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes to a line keeps the source readable in a diff.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
get_filename_component(shown "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new" "// Generated from ${shown} by cmake/embed_bytes.cmake; do not edit.
#include <cstddef>

namespace morvel {

// Declared first, so that the const definitions keep external linkage.
extern const unsigned char ${NAME}[];
extern const std::size_t ${NAME}Size;

const unsigned char ${NAME}[${size}] = {
${bytes}
};
const std::size_t ${NAME}Size = ${size};

}  // namespace morvel
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
