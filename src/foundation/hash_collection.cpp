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
  link_order_ = ++collection_->links_;
  collection_->IndexAdd(this);
}

void THashCollectionItem::Unlink() {
  if (prev_ != nullptr) {
    prev_->next_ = next_;
  } else if (collection_->buckets_[bucket_] == this) {
    collection_->buckets_[bucket_] = next_;
  }
  if (next_ != nullptr) next_->prev_ = prev_;
  prev_ = next_ = nullptr;
  collection_->IndexRemove(this);
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
  index_.clear();
  indexed_ = 0;
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

namespace {

// The slot a hash starts its probe at: the hash spread over all bits first, since folded hashes
// of names that differ in one digit often share their low bits.
std::size_t Home(std::uint32_t hash, std::size_t mask) {
  return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

THashCollectionItem* THashCollection::Find(std::string_view name) const {
  if (index_.empty()) return nullptr;
  const std::uint32_t folded_hash = Cp932FoldedHash(name);
  const std::size_t mask = index_.size() - 1;
  THashCollectionItem* found = nullptr;
  for (std::size_t i = Home(folded_hash, mask); index_[i].item != nullptr; i = (i + 1) & mask) {
    THashCollectionItem* item = index_[i].item;
    if (index_[i].hash == folded_hash && (found == nullptr || item->link_order_ > found->link_order_) &&
        Cp932SameText(item->name_, name))
      found = item;
  }
  return found;
}

void THashCollection::Reserve(std::size_t count) {
  items_.reserve(count);
  std::size_t slots = 16;
  while (slots < count * 2) slots *= 2;
  if (slots <= index_.size()) return;
  std::vector<Slot> old = std::move(index_);
  index_.assign(slots, Slot{});
  indexed_ = 0;
  for (const Slot& slot : old)
    if (slot.item != nullptr) IndexAdd(slot.item);
}

void THashCollection::IndexAdd(THashCollectionItem* item) {
  if ((indexed_ + 1) * 2 > index_.size()) {
    std::vector<Slot> old = std::move(index_);
    index_.assign(std::max<std::size_t>(16, old.size() * 2), Slot{});
    indexed_ = 0;
    for (const Slot& slot : old)
      if (slot.item != nullptr) IndexAdd(slot.item);
  }
  const std::size_t mask = index_.size() - 1;
  std::size_t i = Home(item->folded_hash_, mask);
  while (index_[i].item != nullptr) i = (i + 1) & mask;
  index_[i] = Slot{item->folded_hash_, item};
  ++indexed_;
}

void THashCollection::IndexRemove(const THashCollectionItem* item) {
  if (index_.empty()) return;
  const std::size_t mask = index_.size() - 1;
  std::size_t i = Home(item->folded_hash_, mask);
  while (index_[i].item != item) {
    if (index_[i].item == nullptr) return;
    i = (i + 1) & mask;
  }
  // Backward shift: later slots of the run move up unless their home lies after the hole.
  for (std::size_t j = i;;) {
    j = (j + 1) & mask;
    if (index_[j].item == nullptr) break;
    const std::size_t home = Home(index_[j].hash, mask);
    const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
    if (stays) continue;
    index_[i] = index_[j];
    i = j;
  }
  index_[i] = Slot{};
  --indexed_;
}

THashCollectionItem& AddNamedItem(THashCollection& collection, std::string_view name) {
  THashCollectionItem& item = collection.Add();
  item.SetName(name);
  return item;
}

}  // namespace vorn
