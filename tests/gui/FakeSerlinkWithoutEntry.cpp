// A library of the programmer's name that lacks its entry point.

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t ImportData(void*, std::int32_t*) {
    return 0;
}
