# Precompiled headers. Nearly every file includes QtCore, and the windows QtWidgets; parsing those
# headers was most of each compile. cmake/Precompiled.h holds them; dovrelle_core and dovrelle_gui
# each compile it once, with their own flags, and every other target takes the one whose flags it
# shares instead of compiling its own:
#   dovrelle_pch(TARGET)                 TARGET compiles the header set for itself
#   dovrelle_reuse_pch(TARGET FROM)      TARGET takes FROM's: dovrelle_gui's when it links
#                                        QtWidgets, dovrelle_core's otherwise
# -Winvalid-pch (which CMake adds) warns when a file cannot take its precompiled header and parses
# the headers after all; with DOVRELLE_WERROR that fails the build, so a mismatch cannot hide.
#
# ccache caches these compiles too: it needs the sloppiness pch_defines,time_macros (the compiler
# launcher of CMakeLists.txt sets it), the header named by -include (CMake's way) and, for clang,
# no timestamp in the precompiled header.
option(DOVRELLE_PCH "Precompile the common standard and Qt headers" ON)

if(DOVRELLE_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  target_compile_options(dovrelle_policy INTERFACE
    "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-Xclang -fno-pch-timestamp>")
endif()

function(dovrelle_pch target)
  if(DOVRELLE_PCH)
    target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/Precompiled.h)
  endif()
endfunction()

function(dovrelle_reuse_pch target from)
  if(DOVRELLE_PCH)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()
