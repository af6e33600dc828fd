# Every test source is its own executable, so a broken file stops only its own tests.
# lorvika_add_tests(<folder-label> <libraries...>) takes the *.cpp files of the calling folder.
# The folders that write tables or drive windows run a second time under a Czech locale, whose
# decimal point is a comma: "<label>.cs_CZ.<test>".
set(LORVIKA_CZECH_LABELS store dbf cli app albums lending lending_core lists search hledani)
if(NOT TARGET lorvika_test_main)
  add_library(lorvika_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/LocaleMain.cpp)
  target_link_libraries(lorvika_test_main PUBLIC GTest::gtest)
endif()

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
    target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gmock lorvika_test_main)
    target_compile_definitions(${target} PRIVATE
      LORVIKA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" LORVIKA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${target} TEST_PREFIX "${label}." DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(label IN_LIST LORVIKA_CZECH_LABELS)
      gtest_discover_tests(${target} TEST_PREFIX "${label}.cs_CZ." DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LORVIKA_TEST_LOCALE=cs_CZ.UTF-8")
    endif()
  endforeach()
endfunction()
