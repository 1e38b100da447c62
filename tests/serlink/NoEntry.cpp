// A library named like the programmer library but without its entry point.
extern "C" __attribute__((visibility("default"))) int NotTheEntryPoint() {
    return 1;
}
