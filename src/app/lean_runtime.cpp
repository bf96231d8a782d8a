// The product's own answers to the C++ runtime's error paths, linked into the setup exe only (the
// test programs keep the full runtime).
//
// Nothing in the setup catches an exception: a failed allocation or a string length error ends
// the process whichever way it is reported. Reporting it through abort() here means the library
// members that throw are never linked, and with them go the exception runtime, the unwinder, the
// thread library it needs and the demangler of the verbose terminate handler: about 230 KB of an
// exe whose own code is 30 KB.
#include <bits/functexcept.h>
#include <stdlib.h>

#include <new>
#include <string>

// The string members are built here, without exceptions, instead of being taken from the
// library's copy, which is built with them.
template class std::__cxx11::basic_string<char>;

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    abort();
}
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
}  // namespace std

void* operator new(std::size_t size) {
    void* block = malloc(size != 0 ? size : 1);
    if (block == nullptr)
        abort();
    return block;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

// The hyperlink asks for its URL copy this way and handles the null itself.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    free(block);
}
