# Compiler settings shared by every target of the project.

function(rebootpc_strict target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8 /permissive-)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  else()
    # Source paths (in __FILE__ and debug information) relative to the checkout, so that the
    # same sources give the same objects in any folder.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
      $<$<CXX_COMPILER_ID:Clang>:-Wpedantic> -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
    if(WIN32)
      target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
        _WIN32_WINNT=0x0601)
    endif()
    if(REBOOTPC_SANITIZE)
      target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
      target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
  endif()
endfunction()

# The product's code (the tool's libraries and RebootPC.exe; tests and benchmarks keep the full
# language). It throws nothing, asks no type of its objects at run time and starts no thread, so
# it is built without exception tables, RTTI and the guards on local statics; then nothing in it
# reaches into libstdc++ (whose exception support brings its own terminate handler, the
# std::bad_alloc family and the strings of their messages) nor into winpthreads (which the
# guards on local statics call in the POSIX thread model). tools/check-exe checks this on the
# release build's link map.
function(rebootpc_without_cxx_runtime target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -fno-threadsafe-statics)
  endif()
endfunction()

function(rebootpc_product target)
  rebootpc_strict(${target})
  rebootpc_without_cxx_runtime(${target})
endfunction()

# A Windows executable: Unicode entry point, no MinGW runtime DLLs at load time, no link time in
# the header (so that a rebuild of the same sources gives the same bytes), and marked terminal-
# server aware as MSVC marks programs by default: without the mark, Windows gives the program a
# per-session view of the Windows folder and its INI files in a Remote Desktop session.
function(rebootpc_windows_exe target)
  rebootpc_strict(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
      -Wl,--no-insert-timestamp -Wl,--tsaware $<$<CONFIG:Release>:-s>)
  endif()
endfunction()

if(CMAKE_CROSSCOMPILING AND WIN32)
  # ctest runs every Windows program through Wine with this build tree's private prefix.
  set(REBOOTPC_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/tools/wine-run --prefix ${REBOOTPC_WINEPREFIX} CACHE STRING "" FORCE)
endif()
