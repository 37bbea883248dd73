#include "text/zk_word.h"

#include <algorithm>
#include <unordered_set>

#include "foundation/system_texts.h"
#include "text/wd_char.h"
#include "text/wd_operators.h"

namespace vorn {

TZkWord::TZkWord() : FontName(texts::kDefaultTextFace) {}

TZkWord::~TZkWord() { Clear(); }

void TZkWord::Clear() {
  // Take every glyph out of the rows that still show it at once, rather than row by row.
  std::unordered_set<TWdComposite*> parents;
  for (auto& glyph : glyphs_) {
    if (auto* parent = static_cast<TWdComposite*>(glyph->Parent())) parents.insert(parent);
  }
  for (TWdComposite* parent : parents) parent->ClearChildren();
  glyphs_.clear();
  Decorations.Clear();
  VariableValues.clear();
}

TWdGlyph* TZkWord::GetGlyph(int index) const {
  if (index < 0 || index >= GlyphCount()) return nullptr;
  return glyphs_[static_cast<std::size_t>(index)].get();
}

int TZkWord::IndexOf(const TWdGlyph* glyph) const {
  for (int i = 0; i < GlyphCount(); ++i) {
    if (glyphs_[static_cast<std::size_t>(i)].get() == glyph) return i;
  }
  return -1;
}

TWdGlyph* TZkWord::InsertGlyph(int index, std::unique_ptr<TWdGlyph> glyph) {
  index = std::clamp(index, 0, GlyphCount());
  TWdGlyph* raw = glyph.get();
  glyphs_.insert(glyphs_.begin() + index, std::move(glyph));
  return raw;
}

TWdGlyph* TZkWord::AddGlyph(std::unique_ptr<TWdGlyph> glyph) {
  glyphs_.push_back(std::move(glyph));
  return glyphs_.back().get();
}

void TZkWord::DeleteGlyph(int index) {
  if (index < 0 || index >= GlyphCount()) return;
  glyphs_.erase(glyphs_.begin() + index);
}

int TZkWord::GlyphAtUnit(std::int64_t n) const {
  std::int64_t units = 0;
  for (int i = 0; i < GlyphCount(); ++i) {
    if (units >= n) return i;
    units += glyphs_[static_cast<std::size_t>(i)]->GetUnits();
  }
  return -1;
}

std::int64_t TZkWord::CharPosOf(const TWdGlyph* glyph) const {
  std::int64_t units = 0;
  for (const auto& g : glyphs_) {
    if (g.get() == glyph) return units;
    units += g->GetUnits();
  }
  return -1;
}

TWdGlyph* TZkWord::PreviousGlyph(int index) const {
  TWdGlyph* previous = GetGlyph(index - 1);
  if (previous == nullptr || previous->GetKind() == kGlyphReturn) return nullptr;
  return previous;
}

TWdGlyph* TZkWord::NextGlyph(int index) const {
  TWdGlyph* glyph = GetGlyph(index);
  if (glyph == nullptr || glyph->GetKind() == kGlyphReturn) return nullptr;
  return GetGlyph(index + 1);
}

void TZkWord::AppendCopies(const TZkWord& source, int first, int last) {
  int count = source.GlyphCount();
  if (last < 0 || last >= count) last = count - 1;
  first = std::max(first, 0);
  for (int i = first; i <= last; ++i) {
    const TWdGlyph& original = *source.glyphs_[static_cast<std::size_t>(i)];
    // Value glyphs of a variable come back when its copy is expanded; copying them too would
    // show the value twice.
    if (dynamic_cast<const TWdVarChar*>(&original) != nullptr ||
        dynamic_cast<const TWdVarReturn*>(&original) != nullptr) {
      continue;
    }
    std::unique_ptr<TWdGlyph> copy = original.NewLike(this);
    copy->Assign(original);
    AddGlyph(std::move(copy));
  }
}

void TZkWord::ReleaseSurfaces() {
  for (auto& glyph : glyphs_) glyph->ReleaseSurfaces();
}

void TZkWord::RestoreSurfaces() {
  for (auto& glyph : glyphs_) glyph->RestoreSurfaces();
}

}  // namespace vorn
