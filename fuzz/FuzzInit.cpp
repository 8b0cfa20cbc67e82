// Linked into every fuzz target: the process-wide library settings the program makes at its
// start, made once before the first input.
#include "core/engine/Libraries.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    engine::initLibraries();
    return 0;
}
