// Defaults of the sanitizer runtimes for every program of a sanitizer build,
// so that a test run by hand behaves as it does under CTest.
extern "C" {

// intercept_tls_get_addr=0: this runtime guesses where a thread's dynamic
// TLS block (the TLS of a library loaded with dlopen, such as the GL
// driver) begins from the address glibc returns; when malloc happens to
// place the block 16 bytes past a page boundary it reads the allocator's
// chunk header as the block's bounds, and the leak check at exit then scans
// an address near zero and dies ("Tracer caught signal 11"). Without the
// interception the blocks are still found: the thread's static TLS, which
// is scanned, holds the vector that points at them.
const char* __asan_default_options() {
    return "detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:"
           "intercept_tls_get_addr=0";
}

const char* __lsan_default_options() {
    return "suppressions=" NEBULARK_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
}
