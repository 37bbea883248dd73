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
  folded_hash_ = Cp932FoldedHash(name_);
  auto& head = collection_->buckets_[bucket_];
  prev_ = nullptr;
  next_ = head;
  if (head != nullptr) head->prev_ = this;
  head = this;
  auto& chain = collection_->chains_[bucket_];
  chain.hashes.push_back(folded_hash_);
  chain.items.push_back(this);
}

void THashCollectionItem::Unlink() {
  if (prev_ != nullptr) {
    prev_->next_ = next_;
  } else if (collection_->buckets_[bucket_] == this) {
    collection_->buckets_[bucket_] = next_;
  }
  if (next_ != nullptr) next_->prev_ = prev_;
  prev_ = next_ = nullptr;
  auto& chain = collection_->chains_[bucket_];
  for (std::size_t i = chain.items.size(); i-- > 0;) {
    if (chain.items[i] == this) {
      chain.items.erase(chain.items.begin() + static_cast<std::ptrdiff_t>(i));
      chain.hashes.erase(chain.hashes.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
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

std::unique_ptr<THashCollectionItem> THashCollection::Extract(int index) {
  THashCollectionItem& item = Item(index);
  for (std::size_t i = static_cast<std::size_t>(index) + 1; i < items_.size(); ++i) --items_[i]->index_;
  item.Unlink();
  auto owned = std::move(items_[static_cast<std::size_t>(index)]);
  items_.erase(items_.begin() + index);
  owned->collection_ = nullptr;
  owned->index_ = -1;
  return owned;
}

void THashCollection::Delete(int index) {
  THashCollectionItem& item = Item(index);
  for (std::size_t i = static_cast<std::size_t>(index) + 1; i < items_.size(); ++i) --items_[i]->index_;
  item.Unlink();
  items_.erase(items_.begin() + index);
}

void THashCollection::Clear() {
  buckets_.fill(nullptr);
  for (auto& chain : chains_) {
    chain.hashes.clear();
    chain.items.clear();
  }
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
  const std::uint32_t folded_hash = Cp932FoldedHash(name);
  const Chain& chain = chains_[HashName(name)];
  const std::uint32_t* hashes = chain.hashes.data();
  for (std::size_t i = chain.hashes.size(); i-- > 0;) {
    if (hashes[i] == folded_hash && Cp932SameText(chain.items[i]->name_, name)) return chain.items[i];
  }
  return nullptr;
}

THashCollectionItem& AddNamedItem(THashCollection& collection, std::string_view name) {
  THashCollectionItem& item = collection.Add();
  item.SetName(name);
  return item;
}

}  // namespace vorn
