// SHA-256 of a byte buffer, as lowercase hex (what sha256sum prints).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes);
