// Reports that belong to the font stack, not to our code, built into every test
// program so a plain run and ctest agree. Only the sanitizer in use reads its
// function.

// Fontconfig keeps its configuration and font patterns for the life of the
// process (Pango's shared font map holds them).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// Pango initialises fontconfig on a helper thread ("[pango] FcInit") and waits
// for it with GLib's futex-based locks, which ThreadSanitizer cannot see;
// every report there has fontconfig on one side. GTK's entries hand work to
// GIO's worker threads behind the same kind of locks. The loopback test
// servers' library needs nothing here: they warm it up (LoopbackServer).
extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\nrace:libgio-2.0.so\n";
}
