# Writes a C++ source defining one std::string_view per text file, for the label files of
# the built-in ROM images. -DOUTPUT=<file.cpp> -DTEXTS=<name>=<file>,<name>=<file>,...
# Every byte goes in as a \x escape, so any text survives unchanged; each line of the
# file becomes a string literal of its own.

string(REPLACE "," ";" texts "${TEXTS}")
set(text "// Generated from the ROM label files by roms/embed_text.cmake: do not edit.\n")
string(APPEND text "#include \"roms/builtin_rom_labels.h\"\n")
foreach(entry IN LISTS texts)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 file)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "(..)" "\\\\x\\1" bytes "${hex}")
  string(REPLACE "\\x0a" "\\x0a\"\n    \"" bytes "${bytes}")
  string(APPEND text "\nstatic constexpr char ${name}Text[] =\n    \"${bytes}\";\n")
  string(APPEND text "const std::string_view ${name}(${name}Text, sizeof ${name}Text - 1);\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
