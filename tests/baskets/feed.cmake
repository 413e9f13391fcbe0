# The feed index reader, the page arithmetic and the feed writer: core, no window.
dovrelle_test(feed_core_tests SOURCES FeedIndexTest.cpp FeedPagingTest.cpp FeedWriterTest.cpp)
add_dependencies(feed_core_tests dovrelle-feed)
set_tests_properties(feed_core_tests PROPERTIES TIMEOUT 600)

# The basket viewer, offscreen, fed by the real writer.
dovrelle_test(basket_viewer_tests GUI SOURCES BasketViewerTest.cpp)
add_dependencies(basket_viewer_tests dovrelle-feed)
set_tests_properties(basket_viewer_tests PROPERTIES TIMEOUT 600)
