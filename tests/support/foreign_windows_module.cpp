// A windows module of another build: the entries of the real one, a stamp
// that is not the program's. Its windows never run.
extern "C" __attribute__((visibility("default"))) const char* morvelWindowsStamp() { return "0.0-another"; }
extern "C" __attribute__((visibility("default"))) int morvelRunWindows() { return 99; }
