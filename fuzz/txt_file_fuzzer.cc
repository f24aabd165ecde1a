// What is read, written and read again is the same line list.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sioc_lib/txt_file.h"

namespace {

sioc_lib::LineList readBack(const std::filesystem::path& file) {
  sioc_lib::TxtFileReader reader;
  if (!reader.open(file, false)) std::abort();
  sioc_lib::LineList lines;
  if (!reader.readLines(lines)) std::abort();
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path folder = std::filesystem::temp_directory_path();
  static const std::filesystem::path input = folder / "trv_fuzz_txt_in";
  static const std::filesystem::path output = folder / "trv_fuzz_txt_out";
  {
    std::ofstream file(input, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const sioc_lib::LineList lines = readBack(input);
  sioc_lib::TxtFileWriter writer;
  if (!writer.open(output, false)) std::abort();
  writer.writeLines(lines);
  if (!writer.close()) std::abort();
  if (readBack(output) != lines) std::abort();
  return 0;
}
