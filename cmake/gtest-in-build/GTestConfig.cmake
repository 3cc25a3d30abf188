# GoogleTest built with the project (cross builds): the top-level CMakeLists.txt has added
# its sources, which define GTest::gtest and GTest::gtest_main.
if(NOT TARGET GTest::gtest_main)
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE "GTest::gtest_main is not defined")
endif()
