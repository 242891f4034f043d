// SHA-256 of a byte string or a file, as lower-case hex: the fingerprints of
// the generated data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

std::string sha256Hex(const std::uint8_t* data, std::size_t size);
// Empty when the file cannot be read.
std::string sha256File(const std::string& path);

}  // namespace content
