# Transfers between users, memos and the thumbnail browser.
dovrelle_test(transfer_tests SOURCES TransferTest.cpp)
dovrelle_test(memo_tests SOURCES MemoStoreTest.cpp)
dovrelle_test(baskets_dialog_gui_tests GUI
  SOURCES TransferDialogTest.cpp MemoDialogTest.cpp ThumbnailBrowserTest.cpp)
