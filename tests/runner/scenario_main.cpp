// kyomat-scenario FILE.scn [FILE.scn ...]: runs scenario files against the engine.
#include <iostream>

#include "runner/scenario.h"

int main(int argc, char** argv) {
    int passed = 0;
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        if (kyomat::testing::run_scenario_file(argv[i], std::cout)) {
            ++passed;
        } else {
            ++failed;
        }
    }
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 && passed > 0 ? 0 : 1;
}
