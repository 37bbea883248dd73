#include "support/script_expression.h"

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"

namespace vorn::testing {

namespace {

void CompileAndRun(std::string_view text, TVornParser& parser) {
  TBuildVornParser builder;
  builder.Compile(text);
  TMemoryStream stream;
  builder.SaveToStream(stream);
  stream.SetPosition(0);
  parser.LoadFromStream(stream);
  parser.Execute();
}

}  // namespace

std::string EvaluateScriptText(std::string_view text) {
  TVornParser parser;
  CompileAndRun(text, parser);
  if (parser.Result() == nullptr) return "(none: " + parser.LastError() + ")";
  return parser.Result()->GetAsString();
}

std::string RunScriptText(std::string_view text) {
  TVornParser parser;
  CompileAndRun(text, parser);
  return parser.LastError();
}

}  // namespace vorn::testing
