# A build for Windows: with Qt's own MinGW kit on a Windows machine, or cross-built on Linux with the
# toolchain file mingw-w64.cmake beside this one and a Qt kit made with the same compiler.

# The Qt kit's folder, the one that holds bin/ and lib/cmake/ (C:/Qt/6.4.2/mingw_64, say); also taken
# from the environment. Without it, Qt is looked for where CMake looks for packages.
set(RQ_WINDOWS_QT "$ENV{RQ_WINDOWS_QT}" CACHE PATH "The Qt kit for Windows")
if(RQ_WINDOWS_QT)
  list(PREPEND CMAKE_PREFIX_PATH ${RQ_WINDOWS_QT})
  if(CMAKE_CROSSCOMPILING)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${RQ_WINDOWS_QT})
  endif()
endif()

enable_language(RC)  # the programs' manifest

# Every program in one folder, beside the DLLs and plugins it loads (dist/windows puts them there), so
# that the programs and the tests run from the build as they run installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Wine lists the tests of a cross build when CTest runs them, not while building.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
