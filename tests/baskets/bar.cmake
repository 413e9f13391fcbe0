dovrelle_test(basket_bar_core_tests SOURCES BarRulesTest.cpp)
dovrelle_test(basket_bar_gui_tests GUI SOURCES BasketBarTest.cpp FolderDlgTest.cpp)
