// Linked into each shipped program, not into a library: a definition in the program
// itself is what keeps the linker from taking the C++ runtime's own.
//
// std::terminate's default handler in the GNU runtime prints the uncaught exception's
// demangled type to stderr before it aborts. A GUI program has no stderr, and the
// demangler it drags in is about 50 KB of every download, so the shipped programs abort
// at once instead; the effect for the user is the same.

#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
