#include "support/engine_fixture.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include <gtest/gtest.h>

#include "engine/call_man.h"
#include "engine/db_manager_global.h"
#include "engine/engine_values.h"
#include "fixture/archive_fixture.h"
#include "foundation/archive.h"
#include "foundation/host_names.h"
#include "foundation/wipe_defaults.h"

namespace vorn::testing {

EngineFixture::EngineFixture(const std::string& name) : folder_(name), dir_(folder_.path()) {
  std::filesystem::create_directories(dir_ / "exe");
  ResetEngineValues();
  ResetWipeDefaults();
  GlobalDBManager().Clear();
}

EngineFixture::~EngineFixture() {
  project_.reset();
  params_.reset();
  files_.reset();
  if (hooks_set_) {
    SetScriptFiles(previous_files_);
    SetScriptHost(previous_host_);
    SetTraceCallback(std::move(previous_trace_));
  }
  script_files_.reset();
  ResetEngineValues();
  ResetWipeDefaults();
  GlobalDBManager().Clear();
}

void EngineFixture::AddFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  if (pack_) {
    packed_[name] = bytes;
    return;
  }
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + name);
}

void EngineFixture::Start(bool data_directory_given) {
  if (!packed_.empty()) {
    fixture::ArchivePlan plan;
    for (const auto& [name, bytes] : packed_) plan.members.push_back(fixture::MakeMember(name, bytes));
    const fixture::Bytes archive = fixture::BuildArchive(plan);
    std::ofstream out(dir_ / "game.dat", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
  }
  files_ = std::make_unique<TVrFileManager>(&cd_roots);
  files_->AddCollection(std::make_unique<TVrFileCollection>());
  const std::string data = SystemNameOfHostPath(DataDir());
  if (data_directory_given) {
    files_->SetBaseDir(data);
    if (std::filesystem::is_regular_file(dir_ / "game.dat")) files_->AddArchive(data + "game.dat");
  }
  script_files_ = std::make_unique<TVrScriptFiles>(*files_);
  previous_files_ = SetScriptFiles(script_files_.get());
  previous_host_ = SetScriptHost(&host);
  previous_trace_ = SetTraceCallback([this](const char* line) { trace_.emplace_back(line); });
  hooks_set_ = true;
  params_ = std::make_unique<TParamCollection>();

  TProjectEnvironment environment;
  environment.files = files_.get();
  environment.params = params_.get();
  environment.data_directory_given = data_directory_given;
  environment.executable_dir = SystemNameOfHostPath(data_directory_given ? DataDir() : ExeDir());
  environment.save_dir = environment.executable_dir;
  environment.set_title = [this](const std::string& title) { title_shown = title; };
  project_ = std::make_unique<TProject>(std::move(environment));
}

void EngineFixture::RunFrames(int count) {
  for (int i = 0; i < count && project_ && !StopFlag; ++i) {
    project_->Step();
    if (!StopFlag) project_->ProcessPending();
  }
}

void EngineFixture::Stop() {
  if (!project_) return;
  StopFlag = true;
  project_->Destroy();
  project_.reset();
}

std::int32_t EngineFixture::Int(const std::string& name) const {
  const TParamCollectionItem* item = params_ ? params_->FindParam(name) : nullptr;
  if (!item) {
    ADD_FAILURE() << "no variable " << name;
    return -999999;
  }
  return item->GetAsInt();
}

std::string EngineFixture::Str(const std::string& name) const {
  const TParamCollectionItem* item = params_ ? params_->FindParam(name) : nullptr;
  if (!item) {
    ADD_FAILURE() << "no variable " << name;
    return "<missing>";
  }
  return item->GetAsString();
}

std::vector<int> EngineFixture::Lines() const {
  std::vector<int> lines;
  for (const std::string& line : trace_) {
    const auto open = line.rfind('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    lines.push_back(std::stoi(line.substr(open + 1, close - open - 1)));
  }
  return lines;
}

}  // namespace vorn::testing
