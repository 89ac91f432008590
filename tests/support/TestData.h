#pragma once
// The public conformance files in tests/data; a test that needs them fails
// loudly when they are missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

inline std::filesystem::path TestDataPath(const std::string& relative) {
  const std::filesystem::path path = std::filesystem::path(CHIMORA_TESTDATA) / relative;
  if (!std::filesystem::exists(path)) {
    ADD_FAILURE() << "conformance data missing: " << path;
  }
  return path;
}

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
