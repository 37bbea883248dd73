#pragma once

// A harness for the scene-side commands: pages written with the page writer and read back through
// the page reader, a variable set, the recording scene, backlog, read registry and game, and an
// interpreter over in-memory page files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/custom_param.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_page.h"
#include "fixture/page_writer.h"
#include "foundation/vocabulary_codes.h"
#include "scene_command_doubles.h"

namespace vorn::testing {

// An expression that counts its runs in the variable and yields prefix + the new count: the name
// it gives tells how often a command evaluated it.
inline std::vector<fixture::OpRecord> CountingName(const std::string& counter, const std::string& prefix = "") {
  using fixture::OpOperand;
  return {{ocPlus, counter, {OpOperand::Var(counter), OpOperand::Int(1)}},
          {ocComboStr, "____0", {OpOperand::Str(prefix), OpOperand::Var(counter)}},
          {ocTo, "____arg", {OpOperand::Var("____0")}}};
}

class SceneCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_files_ = SetScriptFiles(&files);
    StopFlag = false;
    GameClock = 1000;
    FrameDelta = 16;
    callman.SetScene(&scene);
  }
  void TearDown() override {
    SetScriptFiles(previous_files_);
    StopFlag = false;
    GameClock = 0;
    FrameDelta = 0;
  }

  TParamCollectionItem& Declare(const std::string& name, std::uint8_t type) {
    TParamCollectionItem& item = params.AddParam(type);
    item.SetName(name);
    return item;
  }
  std::int32_t IntOf(const std::string& name) const { return params.FindParam(name)->GetAsInt(); }

  // Stores the page file and loads it into the interpreter's cache.
  TPage* Load(const std::string& name, const fixture::PageWriter& writer) {
    files.files[name] = writer.Bytes();
    return callman.GetPage(name, false);
  }
  // A page of one command, and that command.
  template <class T = TCommand>
  T* One(fixture::PageCommand command, std::int32_t version = 110, const std::string& name = "one.vsb") {
    fixture::PageWriter writer(version);
    writer.Add(std::move(command));
    TPage* page = Load(name, writer);
    auto* typed = dynamic_cast<T*>(page->GetCommand(0));
    EXPECT_NE(typed, nullptr);
    return typed;
  }
  // One Execute on copies of the program counter; the new index.
  std::int32_t Exec(TCommand& command, std::int32_t index = 0) {
    TPage* page = command.Page();
    command.Execute(callman, page, index);
    return index;
  }

  TMemoryScriptFiles files;
  TParamCollection params;
  TRecordingScene scene;
  TRecordingBacklog backlog;
  TRecordingReadList read_list;
  TRecordingGame game;
  TCallMan callman;

 private:
  TScriptFiles* previous_files_ = nullptr;
};

}  // namespace vorn::testing
