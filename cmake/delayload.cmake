# Delay-loaded system DLLs. A DLL that only printing, links or dialogs need
# is loaded at the first call into it instead of before the program starts:
# orvane_delay_import(TARGET DLL) makes an interface library TARGET that
# links a delay-load import library for DLL. Its functions are those of the
# toolchain's own import library for DLL, so a call added later is delayed
# too; the calls in the code stay as they are. Link TARGET wherever the
# plain import library was linked (the plain one, which the compiler adds
# at the end of every link, then resolves nothing).
#
# Each function's import slot starts out pointing at a stub in the function's
# thunk, which loads the DLL and fills the slot. The headers declare the
# functions dllimport, so the code calls through the slot and never names the
# thunk, and GNU ld then drops the thunk's section and leaves the slot zero (a
# call to address 0). An object that names every thunk keeps them all.
#
# A delay-loaded DLL that cannot be loaded raises an exception at that first
# call; these are parts of every supported Windows.
set(ORVANE_DELAYLIB_DIR ${CMAKE_BINARY_DIR}/delayload)

function(orvane_delay_import target dll)
  get_filename_component(base ${dll} NAME_WE)
  string(TOLOWER ${base} base)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${base}.a
                  OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${implib}")
    message(FATAL_ERROR "no import library lib${base}.a for ${dll}")
  endif()
  # The functions of the import library: each has a code thunk (T) beside
  # its import slot; data imports have only the slot and cannot be delayed.
  execute_process(COMMAND ${CMAKE_NM} ${implib} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot list ${implib}")
  endif()
  string(REGEX MATCHALL " T _[A-Za-z0-9_]+@[0-9]+" thunks "${symbols}")
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  set(keep "\t.section .rdata\n")
  foreach(thunk IN LISTS thunks)
    string(REGEX REPLACE "^ T _" "" name "${thunk}")
    string(APPEND def "${name}\n")
    string(APPEND keep "\t.long _${name}\n")
  endforeach()
  if(NOT thunks)
    message(FATAL_ERROR "no functions found in ${implib}")
  endif()
  set(deffile ${ORVANE_DELAYLIB_DIR}/${base}.def)
  set(lib ${ORVANE_DELAYLIB_DIR}/lib${base}_delay.a)
  set(keepfile ${ORVANE_DELAYLIB_DIR}/${base}_thunks.s)
  set(keepobj ${ORVANE_DELAYLIB_DIR}/${base}_thunks.o)
  file(MAKE_DIRECTORY ${ORVANE_DELAYLIB_DIR})
  file(WRITE ${deffile}.new "${def}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${deffile}.new ${deffile})
  file(WRITE ${keepfile} "${keep}")
  execute_process(COMMAND ${CMAKE_C_COMPILER} -c ${keepfile} -o ${keepobj} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot assemble ${keepfile}")
  endif()
  if(NOT EXISTS ${lib} OR ${deffile} IS_NEWER_THAN ${lib})
    # -k: the DLL exports the names without the @n of the stdcall decoration.
    execute_process(COMMAND ${ORVANE_DLLTOOL} -k --input-def ${deffile} --dllname ${dll} --output-delaylib ${lib}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dlltool could not make ${lib}")
    endif()
  endif()
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${keepobj} ${lib})
endfunction()

if(WIN32)
  if(NOT ORVANE_DLLTOOL)
    string(REGEX REPLACE "gcc(-posix)?$" "dlltool" ORVANE_DLLTOOL_GUESS ${CMAKE_C_COMPILER})
    find_program(ORVANE_DLLTOOL NAMES ${ORVANE_DLLTOOL_GUESS} i686-w64-mingw32-dlltool REQUIRED)
  endif()
  orvane_delay_import(delay_comdlg32 comdlg32.dll)
  orvane_delay_import(delay_winspool winspool.drv)
  orvane_delay_import(delay_shell32 shell32.dll)
  orvane_delay_import(delay_ole32 ole32.dll)
endif()
