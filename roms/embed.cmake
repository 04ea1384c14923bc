# Writes a C++ source defining one 8,192-byte array per ROM image.
# -DOUTPUT=<file.cpp> -DIMAGES=<name>=<binary>,<name>=<binary>,...
# Fails the build if an image is not exactly 8,192 bytes.

string(REPLACE "," ";" images "${IMAGES}")
set(text "// Generated from the assembled ROM images by roms/embed.cmake: do not edit.\n")
string(APPEND text "#include \"roms/builtin_rom.h\"\n")
foreach(image IN LISTS images)
  string(REPLACE "=" ";" parts "${image}")
  list(GET parts 0 name)
  list(GET parts 1 file)
  file(SIZE "${file}" size)
  if(NOT size EQUAL 8192)
    message(FATAL_ERROR "${file} is ${size} bytes; a ROM image must be 8192 bytes")
  endif()
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
  # 16 bytes (80 characters) per line.
  string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND text "\nconst uint8_t ${name}[builtinRomSize] = {\n    ${bytes}\n};\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
