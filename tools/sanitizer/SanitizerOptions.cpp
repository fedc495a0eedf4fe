// Defaults of the sanitizer runtimes for every program of a sanitizer build,
// so that a test run by hand behaves as it does under CTest.
extern "C" {

const char* __asan_default_options() {
    return "detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1";
}

const char* __lsan_default_options() {
    return "suppressions=" NEBULARK_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
}
