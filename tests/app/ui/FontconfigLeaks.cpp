// Fontconfig, which the widgets' fonts come from, keeps a configuration for the life of the
// process that leak detection reports at exit: not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
