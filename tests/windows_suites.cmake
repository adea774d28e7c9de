# The suites a Windows build runs (under Wine on a Linux host): those that
# need only the standard library and the portable libraries. The suites
# built on the POSIX test support (temporary drives, child processes,
# permission bits) join them as that support is ported.
#
# One ctest entry per executable, not per test: a test program under Wine
# starts in about two seconds, and discovering each test would start every
# program once more per test.
function(tidewell_windows_suite name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=C;TZ=UTC")
endfunction()

tidewell_windows_suite(platform_portable_tests
  platform/text_case_test.cpp
  platform/wildcard_test.cpp
  platform/locale_format_test.cpp
  platform/locale_facts_test.cpp
)
target_link_libraries(platform_portable_tests PRIVATE tidewell_platform)

tidewell_windows_suite(records_portable_tests records/byte_count_test.cpp)
target_link_libraries(records_portable_tests PRIVATE tidewell_records)

tidewell_windows_suite(settings_portable_tests
  settings/category_catalogue_test.cpp
  settings/category_warnings_test.cpp
  settings/deepwash_layout_test.cpp
)
target_link_libraries(settings_portable_tests PRIVATE tidewell_catalogue)

tidewell_windows_suite(engine_portable_tests engine/folder_list_test.cpp engine/folder_list_records_test.cpp)
target_link_libraries(engine_portable_tests PRIVATE tidewell_engine)

# The Windows file system layer itself, on real folders in the user's
# temporary folder.
tidewell_windows_suite(windows_platform_tests
  platform/windows_file_system_test.cpp
  platform/wine_host_test.cpp
)
target_link_libraries(windows_platform_tests PRIVATE tidewell_platform)

# Suites on fixture drives (tests/support/temp_drive), with the Windows
# host part of the fixtures.
add_library(tidewell_windows_test_support STATIC
  support/temp_drive.cpp
  support/temp_drive_win32.cpp
  support/recording_feedback.cpp
  support/table_by_hand.cpp
)
target_link_libraries(tidewell_windows_test_support PUBLIC tidewell_engine GTest::gtest)
target_include_directories(tidewell_windows_test_support PUBLIC ${PROJECT_SOURCE_DIR})

tidewell_windows_suite(engine_fixture_tests
  engine/run_context_test.cpp
  engine/rule_index_test.cpp
  platform/drive_root_test.cpp
)
target_link_libraries(engine_fixture_tests PRIVATE tidewell_windows_test_support)

tidewell_windows_suite(settings_fixture_tests
  settings/run_filters_test.cpp
  settings/option_models_test.cpp
)
target_link_libraries(settings_fixture_tests PRIVATE tidewell_windows_test_support tidewell_catalogue)

# Child processes (CreateProcessW), background children and the console
# sandbox, with the suites built on them: the console's contract run against
# tidewell-cli.exe, and the program session. Each case that starts the
# console costs a process start under Wine.
add_library(tidewell_windows_process_support STATIC
  support/child_process.cpp
  support/child_process_win32.cpp
  support/background_child_win32.cpp
  support/console_sandbox.cpp
  support/console_sandbox_win32.cpp
)
target_link_libraries(tidewell_windows_process_support PUBLIC tidewell_windows_test_support)

tidewell_windows_suite(cli_tests
  support/child_process_test.cpp
  cli/console_test.cpp
  cli/bad_input_test.cpp
  cli/filters_console_test.cpp
)
target_link_libraries(cli_tests PRIVATE tidewell_windows_process_support)
# Under Wine the build folder is on no drive, so the console goes beside the
# test program and is named relative to it.
target_compile_definitions(cli_tests PRIVATE TIDEWELL_CLI_PATH="$<TARGET_FILE_NAME:tidewell-cli>")
add_dependencies(cli_tests tidewell-cli)
add_custom_command(TARGET cli_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:tidewell-cli> $<TARGET_FILE_DIR:cli_tests>)

tidewell_windows_suite(session_tests session/program_session_test.cpp)
target_link_libraries(session_tests PRIVATE tidewell_windows_test_support tidewell_session)

# The engine's behaviour suites, records and the host parts of the platform
# layer, on fixture drives in the user's temporary folder. Cases that need
# POSIX-only fixtures (links, permission bits, limits, mounts) skip with
# their reason. Split in several programs so that ctest -j2 overlaps them.

# Moves the cases of `filter` (a gtest filter) out of suite `name`'s ctest
# entry into an entry of their own, ${name}_slow, which ctest -j2 runs beside
# the rest: cases that take minutes under Wine.
function(tidewell_windows_slow_cases name filter)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=C;TZ=UTC;GTEST_FILTER=-${filter}")
  add_test(NAME ${name}_slow COMMAND ${name})
  set_tests_properties(${name}_slow PROPERTIES ENVIRONMENT "LC_ALL=C;TZ=UTC;GTEST_FILTER=${filter}" TIMEOUT 3600
                       LABELS "wine-slow;slow")
endfunction()
tidewell_windows_suite(engine_primitives_tests
  engine/deletion_primitives_test.cpp
  engine/drive_checks_test.cpp
  engine/folder_walker_test.cpp
)
target_link_libraries(engine_primitives_tests PRIVATE tidewell_windows_test_support)

tidewell_windows_suite(engine_run_tests
  engine/odd_names_test.cpp
  engine/rule_table_names_test.cpp
  engine/filtered_run_test.cpp
  engine/category_rules_test.cpp
  engine/changing_drive_test.cpp
)
target_link_libraries(engine_run_tests PRIVATE tidewell_windows_test_support tidewell_demo_drive)
tidewell_windows_slow_cases(engine_run_tests
  "RuleTableNames.AWalkKeepingOnlyTheTableNamesCleansExactlyAsOneKeepingAll:FolderStage.ProgressStepsOnAboutOneFolderInSixteen:RunsAndPresets/SingleRead.*")

# Whole runs on demo drives (tools/demo_drive).
tidewell_windows_suite(engine_demo_tests
  engine/category_totals_test.cpp
  engine/walk_warmer_test.cpp
  engine/walk_io_test.cpp
  engine/bounded_queue_test.cpp
  engine/demo_runs.cpp
)
target_link_libraries(engine_demo_tests PRIVATE tidewell_windows_test_support tidewell_demo_drive)
# Whole runs over 3,000-file demo drives: about six minutes under Wine on a
# loaded two-core machine, and far longer when folders are opened by path;
# the limit leaves room above ctest's default of 1,500 seconds.
# Labelled wine-slow, as the other such entries, and slow, as the long Linux
# cases: `ctest -LE wine-slow` or `ctest -LE slow` leaves them out.
set_tests_properties(engine_demo_tests PROPERTIES TIMEOUT 5400 LABELS "wine-slow;slow")

# The extreme trees: a program of its own for its run time. The folder of
# 100,000 entries ran past eight minutes under Wine without finishing; it is
# an entry of its own, labelled wine-long, which scripts/test-windows.sh runs
# only when asked (TIDEWELL_WINE_LONG=1). Linux runs it with every build.
tidewell_windows_suite(engine_deep_tree_tests engine/deep_tree_test.cpp)
target_link_libraries(engine_deep_tree_tests PRIVATE tidewell_windows_test_support)
set(tidewell_folder_of_100k "ExtremeTreeTest.AFolderOfOneHundredThousandEntriesLosesExactlyItsJunk")
set_tests_properties(engine_deep_tree_tests PROPERTIES
  ENVIRONMENT "LC_ALL=C;TZ=UTC;GTEST_FILTER=-${tidewell_folder_of_100k}")
add_test(NAME engine_deep_tree_tests_long COMMAND engine_deep_tree_tests)
set_tests_properties(engine_deep_tree_tests_long PROPERTIES
  ENVIRONMENT "LC_ALL=C;TZ=UTC;GTEST_FILTER=${tidewell_folder_of_100k}" TIMEOUT 7200 LABELS "wine-long;slow")

tidewell_windows_suite(records_fixture_tests records/deletion_log_test.cpp)
target_link_libraries(records_fixture_tests PRIVATE tidewell_windows_test_support)

# The platform layer's host parts that Windows has too: where Windows lives
# on drive C, the previous-instance lock, the program's arguments, host
# paths and the temporaries of a text file's replacement.
tidewell_windows_suite(platform_host_tests
  platform/windows_dir_test.cpp
  platform/instance_lock_test.cpp
  platform/process_facts_test.cpp
  platform/host_paths_test.cpp
  platform/text_file_test.cpp
)
target_link_libraries(platform_host_tests PRIVATE tidewell_windows_test_support)

# Whole cleaning runs, with files that other processes use.
tidewell_windows_suite(engine_cleaning_run_tests engine/cleaning_run_test.cpp)
target_link_libraries(engine_cleaning_run_tests PRIVATE tidewell_windows_process_support)

# The console under Wine in a prefix of its own, with the z: mapping to the
# host's "/" that Wine makes: the host's root and the folders above the
# prefix are no drives. Run on the Linux host, test runs only, as an
# unprivileged user.
add_test(NAME wine_host_drives
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/wine_host_drives_test.sh $<TARGET_FILE:tidewell-cli>)
set_tests_properties(wine_host_drives PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)

# The Win32 window (ui/win32), created for real and driven with window
# messages; needs a display under Wine (scripts/test-windows.sh starts one).
if(TIDEWELL_BUILD_UI)
  tidewell_windows_suite(win32_window_tests ui/win32/desktop_program_test.cpp)
  target_link_libraries(win32_window_tests PRIVATE tidewell_win32_ui tidewell_windows_test_support
                        tidewell_demo_drive)
endif()
