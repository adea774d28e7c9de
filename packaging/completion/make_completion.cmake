# Writes the bash completion of tidewell-cli from the built program's own
# lists: every option its --help names, the presets of --select, and the
# category names of --list-categories (the second column). Run with
#   cmake -DCLI=<tidewell-cli> -DTEMPLATE=<.bash.in> -DOUTPUT=<file>
#         -DSCRATCH=<folder> -P make_completion.cmake
# The program runs with its home, settings and data in SCRATCH and with no
# drive to find, so the build never reads or writes the user's settings.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(sandbox ${CMAKE_COMMAND} -E env --unset=TIDEWELL_DRIVES HOME=${SCRATCH} XDG_CONFIG_HOME=${SCRATCH}/config
    XDG_DATA_HOME=${SCRATCH}/data XDG_STATE_HOME=${SCRATCH}/state WINEPREFIX=${SCRATCH}/no-wine LC_ALL=C)

execute_process(COMMAND ${sandbox} ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed: ${status}")
endif()
execute_process(COMMAND ${sandbox} ${CLI} --list-categories OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --list-categories failed: ${status}")
endif()

# Options: each "--word" of the help text's option lines (indented by two).
set(options "")
string(REPLACE "\n" ";" lines "${help}")
foreach(line IN LISTS lines)
  if(line MATCHES "^  (-[-a-z, |]+)")
    string(REGEX MATCHALL "--?[a-z][-a-z]*" found "${CMAKE_MATCH_1}")
    list(APPEND options ${found})
  endif()
  if(line MATCHES "^  --select ([a-z|]+)")
    string(REPLACE "|" " " presets "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(REMOVE_DUPLICATES options)
list(JOIN options " " OPTIONS)
set(PRESETS "${presets}")

# Categories: "on   Temp            Temp folder contents ...".
set(names "")
string(REPLACE "\n" ";" rows "${listing}")
foreach(row IN LISTS rows)
  if(row MATCHES "^(on|off) +([A-Za-z0-9]+) ")
    list(APPEND names ${CMAKE_MATCH_2})
  endif()
endforeach()
list(JOIN names " " CATEGORIES)

if(OPTIONS STREQUAL "" OR PRESETS STREQUAL "" OR CATEGORIES STREQUAL "")
  message(FATAL_ERROR "could not read the options, presets or categories of ${CLI}")
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
file(REMOVE_RECURSE ${SCRATCH})
