// What ThreadSanitizer leaves out, read by its runtime at start-up so that
// every run (ctest, test discovery, by hand) agrees; exported, as the runtime
// looks the function up by name. Only system libraries built without the
// sanitizer: it sees their calls to memcpy, memset and the allocator, but
// not GLib's mutexes and conditions (futexes of GLib's own), under which
// libvips hands a page's regions and buffers from its workers to the thread
// that writes them, and so takes each of those hand-offs for a race. Those
// calls are not watched at all ("called_from_lib"): reported and suppressed
// one by one, the copies of a page's pixels alone keep the tests running for
// many minutes. Our own code that runs on libvips' threads is still watched.
// Each line names the library and why.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
  return
      // GLib and GObject: the slice allocator, the thread pool and signal
      // handlers pass blocks between threads under GLib's own futex locks.
      "called_from_lib:libglib-2.0.so\n"
      "called_from_lib:libgobject-2.0.so\n"
      // libvips: its thread pool hands regions and buffers between its
      // workers and the thread that sinks them, under GLib's locks.
      "called_from_lib:libvips.so\n"
      // libpng, libz, libjpeg and libtiff, under libvips' savers and loaders:
      // their state and row buffers pass between libvips' workers, one at a
      // time under GLib's locks, and are freed by the thread ending the save.
      "called_from_lib:libpng16.so\n"
      "called_from_lib:libz.so\n"
      "called_from_lib:libjpeg.so\n"
      "called_from_lib:libtiff.so\n"
      // GNUstep base and the Objective-C runtime, as the module shows an
      // alert: each takes a lock of the other's inside its own calls, on the
      // one thread that runs them here, so the two orders never meet.
      "deadlock:libgnustep-base.so\n";
}
