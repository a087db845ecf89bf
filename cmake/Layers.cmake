# Each layer is a folder with one static library built from every source in it,
# so adding a type means adding its file pair and nothing else.
function(brindle_layer target dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  file(GLOB headers CONFIGURE_DEPENDS "${dir}/*.h")
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE ${headers})
    target_include_directories(${target} INTERFACE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

# One test program per folder of tests, each case registered with CTest.
function(brindle_tests target dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
