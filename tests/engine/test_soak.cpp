// A key storm: random keys, ticks, timer events and rule changes through the real key
// handler and the real bout list code; the board's invariants hold after every event.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "engine/invariants.h"
#include "temp_folder.h"

using namespace kyomat;

TEST(Soak, KeyStormKeepsTheBoardSound) {
    const char* env = std::getenv("KYOMAT_SOAK_EVENTS");
    const long events = env != nullptr ? std::atol(env) : 100000;
    kyomat::testing::TempFolder dir;
    kyomat::testing::EventDriver driver(dir.path());
    std::mt19937 rng(20261207);
    std::vector<std::uint8_t> chunk(4096);
    long done = 0;
    while (done < events) {
        for (auto& b : chunk) b = static_cast<std::uint8_t>(rng());
        std::size_t pos = 0;
        while (done < events && driver.step(chunk.data(), chunk.size(), pos)) {
            ++done;
            const std::string broken = kyomat::testing::check_invariants(driver.engine());
            ASSERT_EQ(broken, "") << "after event " << done;
        }
    }
    // The list file survived every write and still loads.
    BoutListFile file(dir.path(), nullptr);
    EXPECT_TRUE(file.load_from_file());
}
