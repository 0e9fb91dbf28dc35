// The programme the address-run benchmarks fetch: `episodes` play pages, one
// video each, shaped like 1001, and a descriptor per video shaped like 5001.
#pragma once

#include <filesystem>
#include <string>

namespace bench_programme {

inline const std::string programme_id = "9001";
inline std::string vid_of(int episode) { return std::to_string(90000 + episode); }

// Writes the programme into a data folder for the sample site.
void write(const std::filesystem::path& folder, int episodes);

}  // namespace bench_programme
