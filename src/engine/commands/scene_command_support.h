#pragma once

// Small pieces the scene-side command families share.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/command.h"
#include "engine/custom_param.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"

namespace vorn {

class TScriptObject;

// Runs the expression and hands out its result, or null when it gave none (or is absent).
inline TCustomParam* Evaluate(TVornParser* expression) {
  if (expression == nullptr) return nullptr;
  expression->Execute();
  return expression->Result();
}

// The i-th expression of a record, or null when the page's version stores no such field.
inline TVornParser* ExpressionAt(const TComRecord& record, std::size_t i) {
  const auto& expressions = record.Expressions();
  return i < expressions.size() ? expressions[i].get() : nullptr;
}

// The stream a command's state goes into, made on first use, with the state header written.
inline TMemoryStream& BeginState(std::unique_ptr<TMemoryStream>& stream) {
  if (!stream) stream = std::make_unique<TMemoryStream>();
  WriteStateHeader(*stream);
  return *stream;
}

// The object's name, or empty once the object has been freed or has left the scene.
std::string NameInScene(const TScriptObject* object);

// The saved state of a command that waits on an object: the object's name, then the wait and
// event-block flags, which state older than version 100 lacks (they keep the values given).
struct TTargetWaitState {
  std::string name;
  bool waiting;
  bool event_block;
};
void SaveTargetWaitState(std::unique_ptr<TMemoryStream>& stream, const TScriptObject* target, bool waiting,
                         bool event_block);
TTargetWaitState LoadTargetWaitState(TStream& stream, bool waiting, bool event_block);

}  // namespace vorn
