# The Python interpreter of the build's scripts and tests.
#
# The check of the carried control and the inspection of the built program
# read Windows executables with pefile, which Debian packages as
# python3-pefile for its own interpreter only: another python3 that comes
# first on PATH (pyenv, a virtual environment) would not find it. So the
# system's interpreter is taken unless one is named with
# -DPython3_EXECUTABLE=...
if(NOT DEFINED CACHE{Python3_EXECUTABLE} AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python interpreter of the build's scripts and tests")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Stops the configure step where the interpreter lacks pefile; `user` says
# what needs it.
function(ocx_require_pefile user)
  execute_process(COMMAND "${Python3_EXECUTABLE}" -c "import pefile" RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
  if(missing)
    message(FATAL_ERROR "${user} reads Windows executables with the Python module pefile, which "
                        "${Python3_EXECUTABLE} cannot import. Install Debian's package python3-pefile "
                        "(scripts/install-deps does so), or name an interpreter that has pefile with "
                        "-DPython3_EXECUTABLE=...")
  endif()
endfunction()
