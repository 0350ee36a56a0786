// Leaks that belong to system libraries under Qt (fontconfig's caches live for the process and
// are never freed); the leak checker ignores them so that it reports our own leaks only.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libdbus-1.so\n";
}
