// Plug-in libraries are built without exceptions, so nothing in them could catch what the
// standard library throws when a string would outgrow its limits. Ending the program at those
// throw points, as an uncaught exception would, keeps the runtime's exception machinery (some
// 170 KB) out of libraries that every program maps. A throw point not listed here brings the
// runtime's own definitions back and the link fails on the duplicates, so none is missed silently.
#include <cstdlib>
#include <string>

#if defined(__GLIBCXX__)
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
}  // namespace std
#endif
