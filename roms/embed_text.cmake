# Writes a C++ source defining one std::string_view per text, for the debugger's symbols of
# the built-in ROM images:
#   -DOUTPUT=<file.cpp>
#   -DTEXTS=<name>=<file>,<name>=<file>,...       each file's text as it is
#   -DEQUATES=<name> -DEQUATE_SOURCES=<file>,...  the names the sources define with
#                                                 "name: equ value", one per line
# Every byte goes in as a \x escape, so any text survives unchanged; each line of a text
# becomes a string literal of its own.

set(text "// Generated from the ROM label files and sources by roms/embed_text.cmake: do not edit.\n")
string(APPEND text "#include \"roms/builtin_rom_labels.h\"\n")

function(append_view name content)
  string(HEX "${content}" hex)
  string(REGEX REPLACE "(..)" "\\\\x\\1" bytes "${hex}")
  string(REPLACE "\\x0a" "\\x0a\"\n    \"" bytes "${bytes}")
  string(APPEND text "\nstatic constexpr char ${name}Text[] =\n    \"${bytes}\";\n")
  string(APPEND text "const std::string_view ${name}(${name}Text, sizeof ${name}Text - 1);\n")
  set(text "${text}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" texts "${TEXTS}")
foreach(entry IN LISTS texts)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 file)
  file(READ "${file}" content)
  append_view(${name} "${content}")
endforeach()

if(DEFINED EQUATES)
  set(names "")
  string(REPLACE "," ";" sources "${EQUATE_SOURCES}")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^[ \t]*[A-Za-z_.][A-Za-z0-9_.]*:[ \t]*[eE][qQ][uU][ \t]")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*([A-Za-z_.][A-Za-z0-9_.]*):.*" "\\1" name "${line}")
      string(APPEND names "${name}\n")
    endforeach()
  endforeach()
  append_view(${EQUATES} "${names}")
endif()

file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
