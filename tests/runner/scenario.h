#pragma once
// Runs one scenario file against the real engine through the recording host.
#include <filesystem>
#include <iosfwd>

namespace kyomat::testing {

// Runs the file; prints its failure (if any) to out. True when every check passed.
bool run_scenario_file(const std::filesystem::path& file, std::ostream& out);

}  // namespace kyomat::testing
