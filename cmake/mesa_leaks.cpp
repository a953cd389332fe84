// Built into sanitizer builds only: OSMesa keeps a few allocations of its own (its framebuffer
// table) until the process ends, which LeakSanitizer would report on every run.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
