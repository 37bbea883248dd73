// Bytes as a stored operation list: load it, save it, and run it against a small variable set.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  TParamCollection params;
  auto& array = params.AddParam(PT_INT);
  array.SetName("a");
  const std::int32_t dims[] = {2, 3};
  array.SetDims(dims);
  params.AddParam(PT_STR).SetName("s");
  TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  TVornParser parser;
  try {
    parser.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  TMemoryStream saved;
  parser.SaveToStream(saved);
  try {
    parser.Execute();
    parser.Execute();
  } catch (const Exception&) {
  }
  return 0;
}
