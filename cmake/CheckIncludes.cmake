# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DROOT=<source folder> -P CheckIncludes.cmake
# Fails when a source includes a file by a path that climbs out of its folder
# ("../"): such an include reaches a layer that the including folder does
# not link, past the rule that the build enforces for "folder/Name.h".
file(GLOB_RECURSE sources LIST_DIRECTORIES false
  ${ROOT}/engine/* ${ROOT}/results/* ${ROOT}/app/* ${ROOT}/trasvex/* ${ROOT}/tests/*
  ${ROOT}/bench/* ${ROOT}/fuzz/*)
list(FILTER sources INCLUDE REGEX "\\.(h|cpp|in)$")
set(climbing "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
  foreach(line IN LISTS includes)
    cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${ROOT} OUTPUT_VARIABLE shown)
    string(STRIP "${line}" line)
    list(APPEND climbing "${shown}: ${line}")
  endforeach()
endforeach()
if(climbing)
  list(JOIN climbing "\n  " shown)
  message(FATAL_ERROR "Includes that climb out of their folder:\n  ${shown}")
endif()
