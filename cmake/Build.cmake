# Shared build rules: warnings, sanitizers, static Windows runtime and the
# folder-per-library convention every component follows.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

# Invariants are checked where the tests and fuzzers run (textengine/invariant.h).
if(NOT WIN32)
  add_compile_definitions(WENDREL_CHECK_INVARIANTS)
endif()

if(WENDREL_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing: every library instrumented for libFuzzer (clang only); the
# targets in fuzz/ add the fuzzer's main.
if(WENDREL_FUZZ AND NOT WIN32)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Line coverage of the native suite (the coverage preset; tools/coverage).
if(WENDREL_COVERAGE AND NOT WIN32)
  add_compile_options(--coverage -O0)
  add_link_options(--coverage)
endif()

if(WIN32)
  # No DLLs beside the programs: the C and C++ runtimes are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Every Windows version we target requires SSE2; the search loops use it.
    add_compile_options(-msse2)
    # Up to 4 GiB of address space on 64-bit Windows (3 GiB with /3GB) instead
    # of 2 GiB: what decides how big a file the editor can open.
    add_link_options(-Wl,--large-address-aware)
  endif()
endif()

set(WENDREL_WIN32_LIBS user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 uuid
    imm32 winspool advapi32 shlwapi version)

# Makes <root>/<dir> show the source folder <dir> without the folders of
# <excluded> beneath it: a link to the whole folder where none is excluded,
# else a folder of links to its other entries. A new entry in such a folder
# reconfigures the build, so the root keeps up with the sources.
function(wendrel_export_folder root dir excluded)
  set(link ${root}/${dir})
  set(cut)
  foreach(ex IN LISTS excluded)
    string(FIND "${ex}/" "${dir}/" at)
    if(at EQUAL 0 AND NOT ex STREQUAL dir)
      list(APPEND cut ${ex})
    endif()
  endforeach()
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT cut)
    if(NOT IS_SYMLINK ${link})
      file(REMOVE_RECURSE ${link})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${link} SYMBOLIC)
    endif()
    return()
  endif()
  # A link to the whole folder from an earlier layout gives way to a folder
  # of links (removing the link leaves its target alone).
  if(IS_SYMLINK ${link})
    file(REMOVE ${link})
  endif()
  file(MAKE_DIRECTORY ${link})
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_SOURCE_DIR}/${dir}/*)
  file(GLOB stale LIST_DIRECTORIES true RELATIVE ${link} ${link}/*)
  foreach(entry IN LISTS stale)
    if(NOT entry IN_LIST entries AND IS_SYMLINK ${link}/${entry})
      file(REMOVE ${link}/${entry})
    endif()
  endforeach()
  foreach(entry IN LISTS entries)
    set(sub ${dir}/${entry})
    if(sub IN_LIST cut)
      if(IS_SYMLINK ${root}/${sub})
        file(REMOVE ${root}/${sub})
      endif()
    elseif(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${sub})
      wendrel_export_folder(${root} ${sub} "${cut}")
    elseif(NOT IS_SYMLINK ${root}/${sub})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${sub} ${root}/${sub} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# wendrel_library(<name> [WINDOWS] DIRS <dir>... [EXCLUDE <dir>...] [DEPS <target>...])
# Every .cpp below the named folders belongs to the library, so adding a
# source file never needs a CMake edit. A folder that does not exist yet
# yields no target. WINDOWS libraries are built by the cross compiler only.
function(wendrel_library name)
  cmake_parse_arguments(A "WINDOWS" "" "DIRS;EXCLUDE;DEPS" ${ARGN})
  if(A_WINDOWS AND NOT WIN32)
    return()
  endif()
  set(srcs)
  foreach(dir IN LISTS A_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
    list(APPEND srcs ${found})
  endforeach()
  foreach(dir IN LISTS A_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${dir}/")
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  # Each library compiles against an include root of its own folders and
  # gets its dependencies' roots through them, nothing else: an include of
  # a library it does not depend on (a lower layer reaching up) fails to
  # compile. A folder left out (EXCLUDE) belongs to another library and is
  # left out of the root too. Includes keep their "folder/header.h" form.
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  foreach(dir IN LISTS A_DIRS)
    wendrel_export_folder(${root} ${dir} "${A_EXCLUDE}")
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  foreach(dep IN LISTS A_DEPS)
    if(TARGET ${dep})
      target_link_libraries(${name} PUBLIC ${dep})
    endif()
  endforeach()
  if(A_WINDOWS)
    target_link_libraries(${name} PUBLIC ${WENDREL_WIN32_LIBS})
  endif()
endfunction()
