# One target carries the compile policy of every target of the project.
add_library(dovrelle_policy INTERFACE)
target_compile_features(dovrelle_policy INTERFACE cxx_std_20)
target_compile_options(dovrelle_policy INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(dovrelle_policy INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_DISABLE_DEPRECATED_BEFORE=0x060400)
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # In a batch every file is an included one, and gcc then warns of each test fixture in an
  # anonymous namespace as if a header held it.
  target_compile_options(dovrelle_policy INTERFACE -Wno-subobject-linkage)
endif()
if(DOVRELLE_WERROR)
  target_compile_options(dovrelle_policy INTERFACE -Werror)
endif()
if(DOVRELLE_SANITIZE)
  # Without the null and alignment checks: gcc puts both on every member access, which cost up to
  # 40% of a file's compile time, and a null dereference is still caught (AddressSanitizer reports
  # the SEGV with its stack). The fuzz build keeps them on the readers of outside bytes. Line
  # tables only (-g1): the stacks the sanitizers print need no more, and the objects and the links
  # shrink.
  target_compile_options(dovrelle_policy INTERFACE -fsanitize=address,undefined
                         -fno-sanitize=null,alignment -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined -g1)
  target_link_options(dovrelle_policy INTERFACE -fsanitize=address,undefined)
endif()
if(DOVRELLE_TSAN)
  # -O1: the instrumented program runs several times slower than a plain one, and the suite's
  # kill loops and races start hundreds of programs; line tables are enough for the reports.
  target_compile_options(dovrelle_policy INTERFACE -fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
  target_link_options(dovrelle_policy INTERFACE -fsanitize=thread)
endif()
if(DOVRELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz build needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Every object counts its edges for the fuzzer; the fuzz programs link the fuzzer's main.
  target_compile_options(dovrelle_policy INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(dovrelle_policy INTERFACE -fsanitize=address,undefined)
endif()

# lld links the thirty-odd test programs and the tools several times faster than the default
# linker; a machine without it links with the default.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld DOVRELLE_HAVE_LLD)
if(DOVRELLE_HAVE_LLD)
  target_link_options(dovrelle_policy INTERFACE -fuse-ld=lld)
endif()
