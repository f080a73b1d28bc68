# Writes OUTPUT, a C++ file defining viewerIcon from the PNG files given in IMAGES (a list,
# smallest first), so the running program needs no icon file of its own.
set(definitions "")
set(entries "")
set(index 0)
foreach(image IN LISTS IMAGES)
  file(READ "${image}" bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND definitions "const unsigned char png${index}[] = {${bytes}};\n")
  string(APPEND entries "    {png${index}, sizeof png${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new" "// Made by resources/embed_icons.cmake; not to be edited.
#include \"resources/window_icon.h\"

namespace {
${definitions}
const WindowIconImage images[] = {
${entries}};
} // namespace

const WindowIcon viewerIcon = {images, sizeof images / sizeof images[0]};
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
