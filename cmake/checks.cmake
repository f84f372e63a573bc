# Every check of the project as a CTest test, registered in the native-asan build (which runs
# the unit tests itself) and run whole by the workflow preset "test". The checks that need
# another preset's build (native, fuzz, win32, win64, release) build it through
# tests/build-preset in a fixture's setup test; those builds live in their presets' folders.
#
# Labels: unit, layering, format, valgrind, fuzz, windows-programs, package, wine, e2e, build,
# and x86_64 or i686 for what runs under Wine (ctest --preset test -L e2e -L i686).

set(PRESET_BUILDS ${CMAKE_SOURCE_DIR}/build)
set(SOURCE ${CMAKE_SOURCE_DIR})

# check(NAME LABELS... [REQUIRES FIXTURE...] [PROCESSORS N] [TIMEOUT S] COMMAND ...)
function(check name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROCESSORS;TIMEOUT" "LABELS;REQUIRES;COMMAND")
  add_test(NAME ${name} COMMAND ${arg_COMMAND} WORKING_DIRECTORY ${SOURCE})
  if(NOT arg_PROCESSORS)
    set(arg_PROCESSORS 1)
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}" PROCESSORS ${arg_PROCESSORS}
    TIMEOUT ${arg_TIMEOUT} SKIP_RETURN_CODE 77)
  if(arg_REQUIRES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${arg_REQUIRES}")
  endif()
endfunction()

# The other presets' builds, each a fixture; a build takes both processors.
foreach(build IN ITEMS "native disksetup" fuzz win64 win32 "release disksetup")
  separate_arguments(words UNIX_COMMAND "${build}")
  list(GET words 0 preset)
  check(build/${preset} LABELS build PROCESSORS 2 TIMEOUT 3600
    COMMAND ${SOURCE}/tests/build-preset ${words})
  set_tests_properties(build/${preset} PROPERTIES FIXTURES_SETUP ${preset}-build)
endforeach()

# The source tree: includes run down the layers; every C++ file formatted.
check(layering LABELS layering COMMAND python3 ${SOURCE}/tests/layering ${SOURCE})
check(format LABELS format COMMAND ${SOURCE}/tests/format-check)

# The disksetup command under valgrind.
check(valgrind LABELS valgrind REQUIRES native-build TIMEOUT 1800
  COMMAND ${SOURCE}/tests/leaks/run-valgrind ${PRESET_BUILDS}/native/cli/disksetup
  ${PRESET_BUILDS}/leaks)

# A short run of every fuzz target in fuzz/, from corpora seeded by the packer and encoder.
set(FUZZ_SECONDS 20)
check(fuzz/seeds LABELS fuzz REQUIRES native-build fuzz-build
  COMMAND ${SOURCE}/fuzz/make-seeds ${PRESET_BUILDS}/native/cli/disksetup ${PRESET_BUILDS}/fuzz
  ${PRESET_BUILDS}/fuzz-corpus ${PRESET_BUILDS}/fuzz-seeds)
set_tests_properties(fuzz/seeds PROPERTIES FIXTURES_SETUP fuzz-seeds)
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${SOURCE}/fuzz/*_fuzz.cpp)
foreach(source IN LISTS FUZZ_SOURCES)
  get_filename_component(target ${source} NAME_WE)
  math(EXPR limit "${FUZZ_SECONDS} + 300")
  check(fuzz/${target} LABELS fuzz REQUIRES fuzz-build fuzz-seeds TIMEOUT ${limit}
    COMMAND ${SOURCE}/fuzz/run-target ${PRESET_BUILDS}/fuzz/fuzz/${target} ${FUZZ_SECONDS}
    ${PRESET_BUILDS}/fuzz-corpus ${PRESET_BUILDS})
endforeach()

# The shipped SETUP.EXE and UNINSTAL.EXE: size budgets, Windows 95 imports, header versions.
check(windows-programs LABELS windows-programs REQUIRES win32-build
  COMMAND python3 ${SOURCE}/tests/windows-programs ${PRESET_BUILDS}/win32)

# The portable unit tests as Windows programs under Wine; the 32-bit ones through i386-run,
# skipped where 32-bit Wine cannot run.
check(unit-wine/x86_64 LABELS wine x86_64 REQUIRES win64-build TIMEOUT 900
  COMMAND ${SOURCE}/tests/wine/unit-tests ${PRESET_BUILDS}/win64)
check(unit-wine/i686 LABELS wine i686 REQUIRES win32-build TIMEOUT 900
  COMMAND ${SOURCE}/tests/wine/i386-run ${SOURCE}/tests/wine/unit-tests ${PRESET_BUILDS}/win32)

# The Debian package: built from the release and win32 builds, then checked.
check(package LABELS package REQUIRES release-build win32-build TIMEOUT 1800
  COMMAND bash -c [[deb=$(dist/make-deb "$1" "$2") && exec tests/package/check-deb "$deb" "$2/package-check"]]
  package ${PRESET_BUILDS}/release ${PRESET_BUILDS})

# SETUP.EXE end to end under Wine in Xvfb: one test per scenario and build, and one per
# Windows version a scenario's @modes names for the shipped i686 build. They share one prefix,
# so they run one at a time, in the order of a whole run of tests/wine/run-e2e: by screen
# size (the default first), then build, then name. Everything that makes or uses the prefix
# runs through i386-run, where 32-bit programs may need emulation.
set(E2E ${SOURCE}/tests/wine/i386-run ${SOURCE}/tests/wine/run-e2e ${PRESET_BUILDS})
check(e2e/prefix LABELS wine e2e REQUIRES native-build win64-build win32-build
  COMMAND ${E2E} --make-prefix)
set_tests_properties(e2e/prefix PROPERTIES FIXTURES_SETUP e2e-prefix RESOURCE_LOCK e2e-prefix)
file(GLOB SCENARIOS CONFIGURE_DEPENDS ${SOURCE}/tests/wine/scenarios/*.scn)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SCENARIOS})
set(sizes 1024x768)
foreach(scenario IN LISTS SCENARIOS)
  get_filename_component(name ${scenario} NAME_WE)
  file(STRINGS ${scenario} screen REGEX "^@screen ")
  string(REGEX REPLACE "^@screen +([^ ]+).*" "\\1" size "${screen}")
  if(NOT size OR size STREQUAL "any")
    set(size 1024x768)
  endif()
  file(STRINGS ${scenario} modes REGEX "^@modes ")
  string(REGEX REPLACE "^@modes +" "" modes "${modes}")
  separate_arguments(modes UNIX_COMMAND "${modes}")
  set(size_of_${name} ${size})
  set(modes_of_${name} ${modes})
  list(APPEND sizes ${size})
endforeach()
list(REMOVE_DUPLICATES sizes)
# One scenario run; each depends on the one before, so they keep the order of a whole run.
macro(e2e_check test arch)
  check(${test} LABELS wine e2e ${arch} PROCESSORS 2
    REQUIRES e2e-prefix native-build win64-build win32-build COMMAND ${E2E} ${ARGN})
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK e2e-prefix DEPENDS ${previous})
  set(previous ${test})
endmacro()
set(previous e2e/prefix)
foreach(size IN LISTS sizes)
  foreach(arch IN ITEMS x86_64 i686)
    foreach(scenario IN LISTS SCENARIOS)
      get_filename_component(name ${scenario} NAME_WE)
      if(NOT size_of_${name} STREQUAL size)
        continue()
      endif()
      set(options --scenario ${name} --arch ${arch})
      if(arch STREQUAL "x86_64")
        e2e_check(e2e/x86_64/${name} x86_64 ${options})
        continue()
      endif()
      e2e_check(e2e/i686/${name} i686 ${options} --mode default)
      foreach(mode IN LISTS modes_of_${name})
        e2e_check(e2e/i686-${mode}/${name} i686 ${options} --mode ${mode})
      endforeach()
    endforeach()
  endforeach()
endforeach()
