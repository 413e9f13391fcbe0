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
if(DOVRELLE_WERROR)
  target_compile_options(dovrelle_policy INTERFACE -Werror)
endif()
if(DOVRELLE_SANITIZE)
  target_compile_options(dovrelle_policy INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(dovrelle_policy INTERFACE -fsanitize=address,undefined)
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
