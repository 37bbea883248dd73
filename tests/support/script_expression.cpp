#include "support/script_expression.h"

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"

namespace vorn::testing {

std::string EvaluateScriptText(std::string_view text) {
  TBuildVornParser builder;
  builder.Compile(text);
  TMemoryStream stream;
  builder.SaveToStream(stream);
  stream.SetPosition(0);
  TVornParser parser;
  parser.LoadFromStream(stream);
  parser.Execute();
  if (parser.Result() == nullptr) return "(none: " + parser.LastError() + ")";
  return parser.Result()->GetAsString();
}

}  // namespace vorn::testing
