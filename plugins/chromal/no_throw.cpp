// Chromal keeps its rules in the standard library's strings and vectors, which report misuse by
// throwing. This library is built without exceptions and is mapped into every program that
// receives a sent message, so the reports end the program instead: left to the runtime's own
// versions they would bring its whole exception machinery along and make the library five times
// its size. Nothing here ever asks for more than a string of a settings line or a few rules.
#include <cstdlib>

#if defined(__GLIBCXX__)
namespace std {
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
}  // namespace std
#endif
