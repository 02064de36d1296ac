// The engine fed a byte stream as keys, ticks, timer events and rule changes; the board's
// invariants hold after every event.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/invariants.h"
#include "temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto folder = std::make_unique<kyomat::testing::TempFolder>();
    kyomat::testing::EventDriver driver(folder->path());
    std::size_t pos = 0;
    while (driver.step(data, size, pos)) {
        const std::string broken = kyomat::testing::check_invariants(driver.engine());
        if (!broken.empty()) {
            std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
