# Runs a Windows test program under Wine, in a Wine prefix of its own that is removed afterwards; says
# "SKIPPED" (the test's skip pattern) where Wine is missing or cannot start.
# Run as: cmake -DWINE=... -DPROGRAM=... [-DARGUMENTS=a;b] -DWORK_DIR=... -P RunUnderWine.cmake
if(NOT WINE)
  message("SKIPPED: Wine is not installed (Debian's wine and wine64)")
  return()
endif()
string(RANDOM LENGTH 8 suffix)
set(prefix ${WORK_DIR}/wineprefix-${suffix})
set(ENV{WINEPREFIX} ${prefix})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")  # no installer dialogs for .NET or HTML support
unset(ENV{DISPLAY})  # a console program: no window, so no display server either

execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE booted OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(booted EQUAL 0)
  execute_process(COMMAND ${WINE} ${PROGRAM} ${ARGUMENTS} RESULT_VARIABLE result)
endif()
execute_process(COMMAND ${WINE}server -k OUTPUT_QUIET ERROR_QUIET)
file(REMOVE_RECURSE ${prefix})
if(NOT booted EQUAL 0)
  message("SKIPPED: Wine cannot start: ${log}")
elseif(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} under Wine: ${result}")
endif()
