# Printing of archived files: the rules in core, the real CUPS queue, the report and the preview.
dovrelle_test(printing_core_tests SOURCES search/PrintingTest.cpp LIBS PkgConfig::MAGICK)

dovrelle_test(printing_cups_tests SOURCES search/PrintingCupsTest.cpp)
target_compile_definitions(printing_cups_tests PRIVATE DOVRELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_tests_properties(printing_cups_tests PROPERTIES TIMEOUT 300)

dovrelle_test(printing_gui_tests GUI SOURCES gui/PrintReportTest.cpp gui/PrintPreviewTest.cpp)

dovrelle_test(printing_cups_gui_tests GUI SOURCES gui/PrintCupsTest.cpp)
target_compile_definitions(printing_cups_gui_tests PRIVATE DOVRELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_tests_properties(printing_cups_gui_tests PROPERTIES TIMEOUT 300)
