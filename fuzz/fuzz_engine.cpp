// The engine fed a byte stream as keys, ticks, timer events and rule changes; the board's
// invariants hold after every event.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/invariants.h"
#include "temp_folder.h"

// The program folder lives in memory where the system offers it: every bout list save
// flushes to the disk, which would otherwise cost the fuzzer most of its time.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) setenv("TMPDIR", "/dev/shm", 0);
    return 0;
}

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
