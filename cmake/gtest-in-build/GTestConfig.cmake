# GoogleTest built with the project (cross builds): the top-level CMakeLists.txt has made
# the targets GTest::gtest and GTest::gtest_main already.
if(NOT TARGET GTest::gtest_main)
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE "GTest::gtest_main is not defined")
endif()
