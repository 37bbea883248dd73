// Decodes the input into one screen transition with arbitrary parameters, duration, direction and
// page shapes, then draws a sequence of steps. No step may read or write outside a surface,
// divide by zero or overflow.
//
// Layout: kind, target width, target height, depth, page shape flags, [from width, from height],
// [to depth], [16-bit length and the bytes of a mask picture file], param 0, param 1, total,
// direction, vector flag, then one int32 per step. The mask picture is a file of a small running
// project, handed to every kind by name (three kinds read it).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/host_names.h"
#include "foundation/vr_file_manager.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "platform/cd_roots.h"
#include "platform/message_box.h"
#include "transitions/create_wipe.h"

namespace {

using namespace vorn;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v | (static_cast<std::uint32_t>(Byte()) << (8 * i));
    return static_cast<std::int32_t>(v);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

const int kDepths[] = {8, 15, 16, 24, 32};

class SilentHost : public TScriptHost {
 public:
  platform::MessageAnswer ShowMessage(platform::MessageBoxRequest) override { return platform::MessageAnswer::kOk; }
  void CloseMainWindow() override {}
};

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A project in a folder of its own, made once, whose files the mask kinds read.
class MaskProject {
 public:
  MaskProject()
      : dir_(std::filesystem::temp_directory_path() /
             ("vorn_fuzz_masks_" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(dir_);
    WriteFile(dir_ / "vorn.vpb", fixture::ProjectWriter().Bytes());
    WriteFile(dir_ / "start.vsb", fixture::PageWriter().Bytes());
    files_ = std::make_unique<TVrFileManager>(&cdRoots_);
    files_->AddCollection(std::make_unique<TVrFileCollection>());
    files_->SetBaseDir(SystemNameOfHostPath(dir_.string() + "/"));
    scriptFiles_ = std::make_unique<TVrScriptFiles>(*files_);
    SetScriptFiles(scriptFiles_.get());
    SetScriptHost(&host_);
    TProjectEnvironment environment;
    environment.files = files_.get();
    environment.params = &params_;
    environment.data_directory_given = true;
    environment.executable_dir = SystemNameOfHostPath(dir_.string() + "/");
    environment.save_dir = environment.executable_dir;
    project_ = std::make_unique<TProject>(std::move(environment));
  }
  ~MaskProject() {
    project_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // A fresh name for each picture, so that no cached copy of an earlier one is read.
  std::string Add(const std::vector<std::uint8_t>& bytes) {
    std::filesystem::remove(dir_ / name_);
    name_ = "mask" + std::to_string(++count_) + ".pel";
    WriteFile(dir_ / name_, bytes);
    return name_;
  }

 private:
  std::filesystem::path dir_;
  platform::HeadlessCdRootSource cdRoots_;
  SilentHost host_;
  TParamCollection params_;
  std::unique_ptr<TVrFileManager> files_;
  std::unique_ptr<TVrScriptFiles> scriptFiles_;
  std::unique_ptr<TProject> project_;
  std::string name_ = "none";
  int count_ = 0;
};

MaskProject& Masks() {
  static MaskProject project;
  return project;
}
constexpr int kMaxSide = 48;
constexpr int kMaxSteps = 64;

void Paint(TMemoryDIBX& page, std::uint32_t seed) {
  for (int y = 0; y < page.GetHeight(); ++y)
    for (int x = 0; x < page.GetWidth(); ++x)
      page.SetPixel(x, y, (seed + static_cast<std::uint32_t>(x * 37 + y * 101)) * 0x9E3779B1u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const auto kind = static_cast<std::uint8_t>(in.Byte() % 38 + 1);
  const int width = in.Byte() % (kMaxSide + 1);
  const int height = in.Byte() % (kMaxSide + 1);
  const int depth = kDepths[in.Byte() % 5];
  const std::uint8_t shape = in.Byte();
  int fromWidth = width, fromHeight = height, toDepth = depth;
  if (shape & 1) {
    fromWidth = in.Byte() % (kMaxSide + 1);
    fromHeight = in.Byte() % (kMaxSide + 1);
  }
  if (shape & 2) toDepth = kDepths[in.Byte() % 5];
  std::string maskName;
  if (shape & 4) {
    const int length = in.Byte() | (in.Byte() << 8);
    std::vector<std::uint8_t> mask;
    for (int i = 0; i < length && in.More(); ++i) mask.push_back(in.Byte());
    maskName = Masks().Add(mask);
  }

  TMemoryDIBX target(width, height, depth);
  TMemoryDIBX from(fromWidth, fromHeight, depth);
  TMemoryDIBX to(width, height, toDepth);
  Paint(from, 1);
  Paint(to, 2);

  std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, target, from, to);
  if (!wipe) return 0;
  if (!maskName.empty()) wipe->SetMaskName(maskName);
  wipe->SetParam(0, in.Int());
  wipe->SetParam(1, in.Int());
  wipe->Total = in.Int();
  wipe->SetDirection(in.Byte());
  ScopedVectorUnitOverride unit((in.Byte() & 1) != 0);
  wipe->Prepare();
  for (int step = 0; step < kMaxSteps && in.More(); ++step) {
    wipe->Current = in.Int();
    wipe->Draw();
  }
  return 0;
}
