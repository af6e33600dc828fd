# Every test source is its own executable, so a broken file stops only its own tests.
# lorvika_add_tests(<folder-label> <libraries...>) takes the *.cpp files of the calling folder.
function(lorvika_add_tests label)
  foreach(lib IN LISTS ARGN)
    if(NOT TARGET ${lib})
      return()
    endif()
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME_WE)
    set(target test_${label}_${name})
    add_executable(${target} ${source})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
      LORVIKA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" LORVIKA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${target} TEST_PREFIX "${label}." DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()
