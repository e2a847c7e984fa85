# Compiler settings shared by every target of both builds.
set(ORVANE_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
  # One file that needs no DLL of the compiler.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# orvane_test(NAME SOURCES... LIBS ...): a GoogleTest program registered with CTest.
function(orvane_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE ${ORVANE_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} orvane_gtest)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
endfunction()
