# Windows side (mingw-w64 cross build): the Win32 platform layer, programs, and the tests run under Wine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static)
# Literals in the sources are UTF-8; the program's texts are code page 932 at run time.
set(VANTOR_CP932 -finput-charset=UTF-8 -fexec-charset=CP932)
target_compile_options(vantor_core PRIVATE ${VANTOR_CP932})
target_compile_options(vantor_app_core PRIVATE ${VANTOR_CP932})

file(GLOB VANTOR_WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp)
add_library(vantor_platform_win32 STATIC ${VANTOR_WIN32_PLATFORM_SOURCES})
# uuid before oleacc: oleacc's import library defines IID_IAccessible as a code stub (the code defines its own
# id too).
target_link_libraries(vantor_platform_win32 PUBLIC vantor_core user32 gdi32 comctl32 comdlg32 shell32 uuid oleacc ole32 oleaut32 kernel32)
target_compile_options(vantor_platform_win32 PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})

# The application manifests of the two programs (app/version.rc and tools/cli/version.rc embed them): common
# controls 6, asInvoker, system DPI awareness, the supported systems.
foreach(program vantor vantor-cli)
  set(VANTOR_MANIFEST_FILE ${program}.exe)
  set(VANTOR_MANIFEST_NAME ${program})
  if(program STREQUAL "vantor")
    set(VANTOR_MANIFEST_DESCRIPTION "Vantor: copies out the text shown in other applications' windows")
  else()
    set(VANTOR_MANIFEST_DESCRIPTION "Vantor command line: the window capture as a console program")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/app.manifest.in ${PROJECT_BINARY_DIR}/generated/${program}.exe.manifest @ONLY)
endforeach()

# A directory of sources (and an optional .rc) becomes one program.
function(vantor_program name dir)
  cmake_parse_arguments(P "GUI" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.rc)
  list(FILTER srcs EXCLUDE REGEX "/app/(settings|file_replace)\\.cpp$") # linked from vantor_app_core
  if(NOT srcs)
    return()
  endif()
  if(P_GUI)
    add_executable(${name} WIN32 ${srcs})
  else()
    add_executable(${name} ${srcs})
  endif()
  target_link_libraries(${name} PRIVATE vantor_platform_win32 ${P_LIBS})
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VANTOR_WARNINGS} ${VANTOR_CP932}>)
endfunction()

# msghook.dll, the hook library loaded into other applications (hook/): beside vantor.exe and vantor-cli.exe
# in bin/. It links nothing of the program but the cross-process layouts of platform/wire.h and the accessible
# walk (platform/accessible.cpp).
add_library(msghook SHARED ${PROJECT_SOURCE_DIR}/hook/msghook.cpp ${PROJECT_SOURCE_DIR}/hook/bulk_answer.cpp
  ${PROJECT_SOURCE_DIR}/hook/accessible_answer.cpp ${PROJECT_SOURCE_DIR}/platform/accessible.cpp
  ${PROJECT_SOURCE_DIR}/hook/msghook.rc)
set_target_properties(msghook PROPERTIES PREFIX "" OUTPUT_NAME msghook)
target_include_directories(msghook PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(msghook PRIVATE user32 uuid oleacc ole32 oleaut32 kernel32)
target_compile_options(msghook PRIVATE ${VANTOR_WARNINGS})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The exports under their plain names (not SetHook@0), as GetProcAddress asks for them in both widths.
  target_link_options(msghook PRIVATE -Wl,--kill-at)
endif()

# The 32-bit build (i686 toolchain): the 32-bit host that a 64-bit program starts beside it to hook the
# 32-bit processes of the desktop with this build's msghook.dll (hook/host32.cpp).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_executable(vantor-host32 WIN32 ${PROJECT_SOURCE_DIR}/hook/host32.cpp)
  target_include_directories(vantor-host32 PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(vantor-host32 PRIVATE ${VANTOR_WARNINGS})
endif()

# The 64-bit build also builds the program for 32-bit Windows in i686/ (the programs, not its tests), and
# puts the 32-bit pieces beside vantor.exe: msghook32.dll, vantor-host32.exe, and specimen32.exe for the
# tests. Without the i686 compiler the 64-bit program is built alone (it then reads 32-bit programs across
# processes only).
find_program(VANTOR_I686_CXX i686-w64-mingw32-g++-posix)
if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND VANTOR_I686_CXX)
  include(ExternalProject)
  set(VANTOR_I686_DIR ${CMAKE_BINARY_DIR}/i686)
  ExternalProject_Add(vantor_i686
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${VANTOR_I686_DIR}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DVANTOR_WERROR=${VANTOR_WERROR}
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${VANTOR_I686_DIR} --target vantor vantor-cli msghook vantor-host32 specimen
    BUILD_ALWAYS ON
    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTOR_I686_DIR}/bin/msghook.dll ${CMAKE_BINARY_DIR}/bin/msghook32.dll
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTOR_I686_DIR}/bin/vantor-host32.exe ${CMAKE_BINARY_DIR}/bin/vantor-host32.exe
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTOR_I686_DIR}/bin/specimen.exe ${CMAKE_BINARY_DIR}/bin/specimen32.exe
    USES_TERMINAL_BUILD OFF)
endif()

vantor_program(specimen ${PROJECT_SOURCE_DIR}/tools/specimen GUI LIBS uuid oleacc ole32 oleaut32)
vantor_program(vantor-cli ${PROJECT_SOURCE_DIR}/tools/cli LIBS vantor_app_core)
add_dependencies(vantor-cli msghook)

# GoogleTest for the Windows side, from Debian's googletest sources.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The load of the hook queue test (tests/wine/hook_queue_test.cpp): windows made from several threads.
add_executable(hook-flood ${PROJECT_SOURCE_DIR}/tests/wine/flood/hook_flood.cpp)
target_compile_options(hook-flood PRIVATE ${VANTOR_WARNINGS})

# The Ctrl+C test's driver (tests/wine/console_ctrl/console_ctrl.cpp): a program in a process group of its
# own, sent a console event once it has written some lines.
add_executable(console-ctrl ${PROJECT_SOURCE_DIR}/tests/wine/console_ctrl/console_ctrl.cpp)
target_compile_options(console-ctrl PRIVATE ${VANTOR_WARNINGS})

# The JSON comparison of the structured-output test (tests/wine/json/json_match.cpp): documents parsed with
# nlohmann-json, window handles matched by form.
add_executable(json-match ${PROJECT_SOURCE_DIR}/tests/wine/json/json_match.cpp)
target_include_directories(json-match SYSTEM PRIVATE ${PROJECT_BINARY_DIR}/third_party)
target_compile_options(json-match PRIVATE ${VANTOR_WARNINGS})

file(GLOB VANTOR_WINE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
# vantor.exe's end-to-end tests (tests/wine/app_*.cpp) are a program of their own, registered below.
list(FILTER VANTOR_WINE_TEST_SOURCES EXCLUDE REGEX "/tests/wine/app_[^/]*\\.cpp$")
if(VANTOR_WINE_TEST_SOURCES)
  add_executable(vantor_wine_tests ${VANTOR_WINE_TEST_SOURCES})
  target_link_libraries(vantor_wine_tests PRIVATE vantor_platform_win32 gtest gtest_main)
  target_compile_options(vantor_wine_tests PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
  add_dependencies(vantor_wine_tests msghook hook-flood specimen)
endif()

# Tests under Wine: one shared prefix, Xvfb display and wineserver per run (tests/wine/harness.sh). The
# clean-up fixture runs also when tests fail, and ends every process the set-up started.
set(VANTOR_HARNESS ${PROJECT_SOURCE_DIR}/tests/wine/harness.sh)
add_test(NAME wine.setup COMMAND bash ${VANTOR_HARNESS} start ${CMAKE_BINARY_DIR})
add_test(NAME wine.cleanup COMMAND bash ${VANTOR_HARNESS} stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 600)
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120)
if(TARGET vantor_wine_tests)
  add_test(NAME wine.platform COMMAND bash ${VANTOR_HARNESS} run ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor_wine_tests>)
  # RESOURCE_LOCK: the specimen's Unicode window has one title; the structured-output test finds it by it.
  set_tests_properties(wine.platform PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RESOURCE_LOCK unicode_specimen)
endif()
# vantor-cli end to end: the specimen captured from another process and compared byte for byte with the
# expected reports in tests/wine/expected, the hung and the exiting specimen, and the command's errors.
if(TARGET vantor-cli AND TARGET specimen)
  add_test(NAME wine.cli COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/cli_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor-cli> $<TARGET_FILE:specimen> ${PROJECT_SOURCE_DIR}/tests/wine/expected)
  set_tests_properties(wine.cli PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK cli_specimen)
  # The same with the 32-bit specimen (its end-to-end sections); the two share the specimen's title.
  if(TARGET vantor_i686)
    add_test(NAME wine.cli32 COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/cli_test.sh ${VANTOR_HARNESS}
      ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor-cli> ${CMAKE_BINARY_DIR}/bin/specimen32.exe
      ${PROJECT_SOURCE_DIR}/tests/wine/expected 32)
    set_tests_properties(wine.cli32 PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK cli_specimen)
  endif()
endif()
# Capture benchmarks (bench/win32/capture_bench*.cpp, one program each): run by hand under the harness.
file(GLOB VANTOR_CAPTURE_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/win32/capture_bench*.cpp)
foreach(src ${VANTOR_CAPTURE_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_libraries(bench_${name} PRIVATE vantor_platform_win32 comctl32)
  target_compile_options(bench_${name} PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
endforeach()
# Memory of Wine's rich edit and of a thread per pass, without vantor.exe (bench/win32/richedit_memory_bench).
add_executable(bench_richedit_memory_bench ${PROJECT_SOURCE_DIR}/bench/win32/richedit_memory_bench.cpp)
target_compile_options(bench_richedit_memory_bench PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
if(TARGET specimen)
  add_test(NAME wine.specimen COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/specimen_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} $<TARGET_FILE:specimen>)
  # Runs alone: its specimens come and go, and tests that take "any specimen window" must not catch one.
  set_tests_properties(wine.specimen PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120 RUN_SERIAL TRUE)
endif()
# vantor-cli's --format and --encoding: the UTF-8 report and messages, the defaults' bytes, the refused
# combinations.
if(TARGET vantor-cli AND TARGET specimen)
  # --format and --encoding: the UTF-8 report and messages, the defaults' bytes, the refused combinations.
  add_test(NAME wine.cli_encoding COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/cli_encoding_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor-cli> $<TARGET_FILE:specimen> ${PROJECT_SOURCE_DIR}/tests/wine/expected)
  set_tests_properties(wine.cli_encoding PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120)
  # --format json and csv: the specimen's document (both widths) and tables against the expected ones; watch,
  # also ended by Ctrl+C.
  add_test(NAME wine.cli_structured COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/cli_structured_test.sh
    ${VANTOR_HARNESS} ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor-cli> $<TARGET_FILE:specimen>
    $<TARGET_FILE:json-match> ${PROJECT_SOURCE_DIR}/tests/wine/expected $<TARGET_FILE:console-ctrl>
    $<$<TARGET_EXISTS:vantor_i686>:${CMAKE_BINARY_DIR}/bin/specimen32.exe>)
  set_tests_properties(wine.cli_structured PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120 RESOURCE_LOCK unicode_specimen)
  # The README's vantor-cli section: its examples run against the specimen, its options those of --help.
  add_test(NAME wine.cli_readme COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/cli_readme_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor-cli> $<TARGET_FILE:specimen> ${PROJECT_SOURCE_DIR}/README.md)
  set_tests_properties(wine.cli_readme PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endif()

# vantor.exe: the application shell, its resources and its capture thread host (app/) and the panes
# (app/panes/).
file(GLOB VANTOR_APP_PANE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/panes/*.cpp)
add_library(vantor_app_panes STATIC ${VANTOR_APP_PANE_SOURCES})
target_link_libraries(vantor_app_panes PUBLIC vantor_platform_win32 vantor_app_core comctl32 comdlg32 shell32)
target_compile_options(vantor_app_panes PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
vantor_program(vantor ${PROJECT_SOURCE_DIR}/app GUI LIBS vantor_app_panes)
target_include_directories(vantor PRIVATE ${PROJECT_SOURCE_DIR}/app)
add_dependencies(vantor msghook)

# The driver that starts vantor.exe and the specimen and reads back what the user sees, shared by the
# end-to-end tests, the main job's helper and the benchmarks.
add_library(vantor_wine_driver STATIC ${PROJECT_SOURCE_DIR}/tools/wine_driver/app_driver.cpp)
target_link_libraries(vantor_wine_driver PUBLIC vantor_platform_win32 comctl32)
target_compile_options(vantor_wine_driver PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})

# vantor.exe end to end (tests/wine/app_*.cpp): a driver that starts vantor.exe and the specimen under the
# harness and reads back what the user sees.
file(GLOB VANTOR_APP_WINE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/app_*.cpp)
if(VANTOR_APP_WINE_TEST_SOURCES AND TARGET vantor AND TARGET specimen)
  # app/tray.cpp as well: its menu is read in-process, since this Wine cannot read another process's menus.
  add_executable(vantor_app_wine_tests ${VANTOR_APP_WINE_TEST_SOURCES} ${PROJECT_SOURCE_DIR}/app/tray.cpp
    ${PROJECT_SOURCE_DIR}/app/window_placement.cpp)
  target_link_libraries(vantor_app_wine_tests PRIVATE vantor_wine_driver gtest gtest_main comctl32 shell32)
  target_compile_options(vantor_app_wine_tests PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
  add_dependencies(vantor_app_wine_tests vantor specimen)
  if(TARGET vantor_i686)
    add_dependencies(vantor_app_wine_tests vantor_i686)
  endif()
  if(TARGET vantor-cli)
    add_dependencies(vantor_app_wine_tests vantor-cli)
  endif()
  add_test(NAME wine.app COMMAND bash ${VANTOR_HARNESS} run ${CMAKE_BINARY_DIR}
    $<TARGET_FILE:vantor_app_wine_tests>)
  # Runs alone: it moves the mouse cursor, sets the foreground window and the clipboard, which the whole
  # display shares, and other tests' windows opening over the specimen would take the cursor's place.
  set_tests_properties(wine.app PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RUN_SERIAL TRUE)
endif()

# The release package (scripts/package) made from this build, unpacked into a fresh directory and run from
# there. Runs alone: it ends vantor.exe through its File menu with the keyboard, which needs the X input focus.
if(TARGET vantor AND TARGET vantor-cli AND TARGET specimen)
  add_test(NAME wine.package COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/package_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} $<TARGET_FILE:specimen> ${PROJECT_SOURCE_DIR}/tests/wine/expected)
  set_tests_properties(wine.package PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# The hostile test: hook-hostile.exe attacks msghook.dll's named objects while vantor.exe and vantor-cli
# capture the specimen, which runs under WINEDEBUG=+seh (tests/wine/hostile/).
add_executable(hook-hostile ${PROJECT_SOURCE_DIR}/tests/wine/hostile/hook_hostile.cpp)
target_include_directories(hook-hostile PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(hook-hostile PRIVATE ${VANTOR_WARNINGS})
if(TARGET vantor AND TARGET vantor-cli AND TARGET specimen)
  add_executable(vantor_hostile_wine_test ${PROJECT_SOURCE_DIR}/tests/wine/hostile/hostile_test.cpp)
  target_link_libraries(vantor_hostile_wine_test PRIVATE vantor_wine_driver gtest gtest_main psapi)
  target_compile_options(vantor_hostile_wine_test PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
  add_dependencies(vantor_hostile_wine_test vantor vantor-cli specimen msghook hook-hostile)
  add_test(NAME wine.hostile COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/hostile/hostile_test.sh ${VANTOR_HARNESS}
    ${CMAKE_BINARY_DIR} $<TARGET_FILE:vantor_hostile_wine_test> $<TARGET_FILE:specimen>)
  # Runs alone: it attacks the named objects every program of the run shares.
  set_tests_properties(wine.hostile PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# The main job's helper (scripts/run): captures the specimen through vantor.exe's window list with the
# end-to-end driver and keeps vantor.exe up for the screenshot.
if(TARGET vantor AND TARGET specimen)
  add_executable(vantor-run-capture ${PROJECT_SOURCE_DIR}/tools/run_capture/run_capture.cpp)
  target_link_libraries(vantor-run-capture PRIVATE vantor_wine_driver)
  target_compile_options(vantor-run-capture PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
  add_dependencies(vantor-run-capture vantor specimen)
endif()

# The hook cost benchmark's contrast: a global pass-on WH_CALLWNDPROC hook in a DLL of its own.
add_library(bench-passon-hook SHARED ${PROJECT_SOURCE_DIR}/bench/win32/passon/passon_hook.cpp)
set_target_properties(bench-passon-hook PROPERTIES PREFIX "")
target_compile_options(bench-passon-hook PRIVATE ${VANTOR_WARNINGS})

# vantor.exe capture benchmark (bench/win32/app_*.cpp): run by hand under the harness.
file(GLOB VANTOR_APP_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/win32/app_*.cpp)
foreach(src ${VANTOR_APP_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_libraries(bench_${name} PRIVATE vantor_wine_driver)
  target_compile_options(bench_${name} PRIVATE ${VANTOR_WARNINGS} ${VANTOR_CP932})
  add_dependencies(bench_${name} vantor specimen bench-passon-hook)
endforeach()

# The program's mutable variables of static storage duration outside hook/, listed from this build's object
# files (scripts/check-globals says what it counts); this side compiles every source of the program.
add_test(NAME mutable_globals COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-globals ${CMAKE_BINARY_DIR} ${CMAKE_NM})
