// Bytes as expression text: compile, write, load and run against a small variable set.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  if (size > 4096) return 0;
  TParamCollection params;
  params.AddParam(PT_INT).SetName("a");
  params.AddParam(PT_STR).SetName("s");
  auto& m = params.AddParam(PT_FLOAT);
  m.SetName("m");
  const std::int32_t dims[] = {2, 2};
  m.SetDims(dims);
  TBuildVornParser compiler;
  TMemoryStream stream;
  try {
    compiler.Compile(std::string(reinterpret_cast<const char*>(data), size));
    compiler.SaveToStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  stream.SetPosition(0);
  TVornParser parser;
  parser.LoadFromStream(stream);
  try {
    parser.Execute();
  } catch (const Exception&) {
  }
  return 0;
}
