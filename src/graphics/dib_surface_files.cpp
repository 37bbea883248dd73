// Picture files chosen by the name's extension: TGA, icons and cursors, and BMP for every other
// name, where a 32-bit BMP carries the alpha plane in each pixel's fourth byte.

#include <algorithm>
#include <cctype>
#include <string>

#include "foundation/file_stream.h"
#include "foundation/replace_file.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/graphics_errors.h"

namespace vorn {

namespace {

enum class FileKind { kBMP, kTGA, kIcon };

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The end of the name from its last ".", the dot included; empty without one.
std::string Extension(const std::string& fileName) {
  const auto dot = fileName.find_last_of('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

FileKind KindOf(const std::string& extension) {
  const std::string e = Lower(extension);
  if (e == ".tga") return FileKind::kTGA;
  if (e == ".ico" || e == ".cur") return FileKind::kIcon;
  return FileKind::kBMP;
}

// Runs work; an error of the picture families comes back as the same type naming the file.
template <typename Work>
void NamingFile(const std::string& fileName, Work work) {
  auto named = [&](const std::exception& e) { return std::string(e.what()) + " (" + fileName + ")"; };
  try {
    work();
  } catch (const EFOpenError&) {
    throw;
  } catch (const EReadError& e) {
    throw EReadError(named(e));
  } catch (const EWriteError& e) {
    throw EWriteError(named(e));
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic(named(e));
  } catch (const EInvalidGraphicOperation& e) {
    throw EInvalidGraphicOperation(named(e));
  } catch (const EOutOfResources& e) {
    throw EOutOfResources(named(e));
  }
}

}  // namespace

bool IsCursorExt(const std::string& extension) {
  std::string e = extension;
  if (!e.empty() && e.front() == '.') e.erase(0, 1);
  return Lower(e) != "ico";
}

void TDIBSurface::LoadFromFileEx(const std::string& fileName, std::int32_t& transparentColor, bool takeAlpha,
                                 bool chooseIcon, bool& icon32, TSurfaceFileInfo& info) {
  Clear();
  try {
    NamingFile(fileName, [&] {
      TFileStream file(fileName, FileMode::kOpenRead);
      switch (KindOf(Extension(fileName))) {
        case FileKind::kTGA:
          transparentColor = -1;
          ReadTGA(file, transparentColor, takeAlpha, info);
          break;
        case FileKind::kIcon:
          ReadIconFile(file, chooseIcon, transparentColor, takeAlpha, icon32, info);
          break;
        case FileKind::kBMP:
          transparentColor = -1;
          info.BMPAlpha = false;
          LoadFromStream(file);
          if (takeAlpha && GetBitCount() == 32) {
            EnsureAlphaPlane();
            for (int y = 0; y < Height(); ++y) {
              const std::uint8_t* line = ReadScanLine(y);
              std::uint8_t* alpha = Alpha()->GetScanLine(y);
              for (int x = 0; x < Width(); ++x) alpha[x] = line[4 * x + 3];
            }
            SetBitCount(24);
            info.BMPAlpha = true;
          }
          break;
      }
    });
  } catch (...) {
    // Nothing half-loaded stays behind.
    Clear();
    throw;
  }
}

void TDIBSurface::SaveToFileEx(const std::string& fileName, std::int32_t transparentColor, TDIB* alphaSource,
                               bool compress, bool icon32, TPoint hotSpot) {
  NamingFile(fileName, [&] {
    // The whole file is made in memory first, so a refused picture leaves no file behind.
    TMemoryStream out;
    const std::string extension = Extension(fileName);
    switch (KindOf(extension)) {
      case FileKind::kTGA:
        WriteTGA(out, transparentColor, alphaSource, compress);
        break;
      case FileKind::kIcon:
        WriteIconFile(out, IsCursorExt(extension), transparentColor, alphaSource, icon32, hotSpot);
        break;
      case FileKind::kBMP:
        if (!alphaSource) {
          SaveToStream(out);
        } else {
          EnsureUncompressed();
          TDIB withAlpha;
          // 15- and 16-bit pictures bring a 16-bit format that a 32-bit bitmap refuses.
          withAlpha.PixelFormat = BitCount() == 16 ? NowPixelFormat() : PixelFormat;
          withAlpha.SetSize(Width(), Height(), 32);
          const gdi::PixelStore view = Image()->View();
          for (int y = 0; y < Height(); ++y) {
            std::uint8_t* line = withAlpha.GetScanLine(y);
            const bool alphaRow = y < alphaSource->Height() && alphaSource->BitCount() == 8;
            const std::uint8_t* alpha = alphaRow ? alphaSource->ReadScanLine(y) : nullptr;
            for (int x = 0; x < Width(); ++x) {
              const std::uint32_t rgb = gdi::ReadPixelRGB(view, x, y);
              line[4 * x] = static_cast<std::uint8_t>(rgb);
              line[4 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
              line[4 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
              line[4 * x + 3] = alpha && x < alphaSource->Width() ? alpha[x] : 255;
            }
          }
          withAlpha.SaveToStream(out);
        }
        break;
    }
    ReplaceFileContent(fileName, out.Memory(), static_cast<std::size_t>(out.Size()));
  });
}

void TDIBSurface::LoadFromFile(const std::string& fileName) {
  // No key colour comes with a plain load: transparent pixels of keyed icon images turn black.
  std::int32_t transparentColor = 0;
  bool icon32 = false;
  TSurfaceFileInfo info;
  LoadFromFileEx(fileName, transparentColor, false, false, icon32, info);
}

void TDIBSurface::SaveToFile(const std::string& fileName) {
  SaveToFileEx(fileName, -1, nullptr, false, false, TPoint{});
}

}  // namespace vorn
