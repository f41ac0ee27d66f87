// libstdc++'s default terminate handler writes the uncaught exception's
// demangled type to standard error. A windowed program has no standard error
// to write to, and the demangler it brings along is a sixth of the program.
// Defining the handler here keeps the library's own out of the link; ending
// the process as abort() does is all that is left to do at that point.
#include <cstdlib>

namespace __gnu_cxx {  // NOLINT(bugprone-reserved-identifier): the library's name, replaced on purpose

void __verbose_terminate_handler() {  // NOLINT(bugprone-reserved-identifier)
  std::abort();
}

}  // namespace __gnu_cxx
