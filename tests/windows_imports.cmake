# The Windows executables are self-contained: they import only DLLs that
# every Windows has, none of MinGW's (libstdc++, libgcc, libwinpthread).
# cmake -DOBJDUMP=... -DEXE=... -P windows_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
foreach(import ${imports})
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" dll)
  if(NOT dll MATCHES "^(kernel32|msvcrt|user32|gdi32|shell32|advapi32|comctl32|comdlg32|ole32)\\.dll$")
    message(FATAL_ERROR "${EXE} needs ${dll} beside it")
  endif()
endforeach()
