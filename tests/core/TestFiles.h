#pragma once

// Helpers for tests that read the reference files in tests/data.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace curvana::test {

inline std::string DataPath(const std::string& relative) {
    return std::string(CURVANA_TEST_DATA) + "/" + relative;
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = std::uint8_t(v >> (8 * k));
}

}  // namespace curvana::test
