// Leaks the sanitized programs that load the module do not report, read by
// LeakSanitizer at start-up so that every run (ctest, test discovery, by hand)
// agrees. The sanitizer runtime looks the function up by name, so it must be
// exported.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  // The Objective-C runtime keeps its class and method tables until the
  // process ends: the runtime's, as in any Cocoa application, not ours.
  return "leak:libobjc.so\n";
}
