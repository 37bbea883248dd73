#include "foundation/hash_collection.h"

#include <algorithm>

#include "foundation/list_error.h"
#include "foundation/sjis.h"

namespace vorn {

std::uint8_t HashName(std::string_view name) {
  const std::size_t length = name.size();
  unsigned hash = static_cast<unsigned>(length) * 16;
  if (length > 1) hash += LowerFoldedByteAt(name, 0) + LowerFoldedByteAt(name, length - 2);
  return static_cast<std::uint8_t>(hash & 0xFF);
}

struct THashCollection::PlainItem : THashCollectionItem {
  PlainItem() = default;
};

void THashCollectionItem::SetName(std::string_view value) {
  if (value == name_) return;
  name_ = std::string(value);
  Unlink();
  Link();
}

std::string THashCollectionItem::DisplayName() const {
  if (!name_.empty()) return name_;
  return "THashCollectionItem";
}

void THashCollectionItem::SetIndex(int value) {
  if (value == index_) return;
  collection_->Move(index_, value);
}

void THashCollectionItem::Assign(const THashCollectionItem& source) { SetName(source.Name()); }

void THashCollectionItem::Link() {
  bucket_ = HashName(name_);
  auto& head = collection_->buckets_[bucket_];
  prev_ = nullptr;
  next_ = head;
  if (head != nullptr) head->prev_ = this;
  head = this;
}

void THashCollectionItem::Unlink() {
  if (prev_ != nullptr) {
    prev_->next_ = next_;
  } else if (collection_->buckets_[bucket_] == this) {
    collection_->buckets_[bucket_] = next_;
  }
  if (next_ != nullptr) next_->prev_ = prev_;
  prev_ = next_ = nullptr;
}

THashCollection::~THashCollection() = default;

std::unique_ptr<THashCollectionItem> THashCollection::CreateItem() { return std::make_unique<PlainItem>(); }

void THashCollection::Insert(std::unique_ptr<THashCollectionItem> item) {
  item->collection_ = this;
  item->index_ = Count();
  THashCollectionItem* raw = item.get();
  items_.push_back(std::move(item));
  raw->Link();
}

THashCollectionItem& THashCollection::Add() {
  auto item = CreateItem();
  THashCollectionItem& ref = *item;
  Insert(std::move(item));
  return ref;
}

THashCollectionItem& THashCollection::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return *items_[static_cast<std::size_t>(index)];
}

void THashCollection::Delete(int index) {
  THashCollectionItem& item = Item(index);
  for (std::size_t i = static_cast<std::size_t>(index) + 1; i < items_.size(); ++i) --items_[i]->index_;
  item.Unlink();
  items_.erase(items_.begin() + index);
}

void THashCollection::Clear() {
  buckets_.fill(nullptr);
  items_.clear();
}

void THashCollection::Move(int from, int to) {
  if (to < 0 || to >= Count()) ThrowListIndexError(to);
  auto item = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  const int low = std::min(from, to);
  const int high = std::max(from, to);
  for (int i = low; i <= high; ++i) items_[static_cast<std::size_t>(i)]->index_ = i;
}

int THashCollection::IndexOf(std::string_view name) const {
  const THashCollectionItem* item = Find(name);
  return item != nullptr ? item->index_ : -1;
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
  for (THashCollectionItem* item = buckets_[HashName(name)]; item != nullptr; item = item->next_) {
    if (Cp932SameText(item->name_, name)) return item;
  }
  return nullptr;
}

THashCollectionItem& AddNamedItem(THashCollection& collection, std::string_view name) {
  THashCollectionItem& item = collection.Add();
  item.SetName(name);
  return item;
}

}  // namespace vorn
