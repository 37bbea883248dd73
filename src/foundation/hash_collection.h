#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class THashCollection;

// The bucket of a name: (L * 16 + (L > 1 ? first byte + second-to-last byte : 0)) mod 256, over
// the lower-case fold of the name. Allocates nothing.
std::uint8_t HashName(std::string_view name);

// An item of a THashCollection. The collection owns it; items are made by the collection
// (THashCollection::Add, AddNamedItem) and freed by Delete / Clear.
class THashCollectionItem {
 public:
  virtual ~THashCollectionItem() = default;
  THashCollectionItem(const THashCollectionItem&) = delete;
  THashCollectionItem& operator=(const THashCollectionItem&) = delete;

  const std::string& Name() const { return name_; }
  // Re-links into the bucket of the new name; nothing happens for an identical name (a change
  // of case alone does re-link).
  void SetName(std::string_view value);
  std::string DisplayName() const;

  int Index() const { return index_; }
  void SetIndex(int value);
  std::uint8_t Bucket() const { return bucket_; }
  THashCollection& Collection() const { return *collection_; }
  // The item after this one in its bucket chain (linked before it), or null.
  THashCollectionItem* NextInBucket() const { return next_; }
  // A full 32-bit hash of the folded name (Cp932FoldedHash): a bucket walk compares names only
  // where it agrees with the hash of the name looked for.
  std::uint32_t FoldedHash() const { return folded_hash_; }

  // From another THashCollectionItem: the name. Subclasses add their own fields.
  virtual void Assign(const THashCollectionItem& source);

 protected:
  THashCollectionItem() = default;
  // Chains the item into the bucket of its current name, at the head.
  virtual void Link();
  void Unlink();

 private:
  friend class THashCollection;
  THashCollection* collection_ = nullptr;
  std::string name_;
  std::uint8_t bucket_ = 0;
  int index_ = -1;
  std::uint32_t folded_hash_ = 0;
  // When the item was linked, counted per collection: the latest of equal names wins a lookup.
  std::uint64_t link_order_ = 0;
  THashCollectionItem* prev_ = nullptr;
  THashCollectionItem* next_ = nullptr;
};

// An ordered collection of named items, each also chained into one of 256 buckets by HashName,
// so a lookup by name only walks one bucket. Names are compared with the CP932 case fold.
class THashCollection {
 public:
  THashCollection() = default;
  virtual ~THashCollection();
  THashCollection(const THashCollection&) = delete;
  THashCollection& operator=(const THashCollection&) = delete;

  // Adds a new item of the collection's item kind (see CreateItem) at the end.
  THashCollectionItem& Add();
  // Adds a new item of type T (constructed from args) at the end.
  template <class T, class... Args>
  T& Emplace(Args&&... args) {
    auto item = std::unique_ptr<T>(new T(std::forward<Args>(args)...));
    T& ref = *item;
    Insert(std::move(item));
    return ref;
  }

  int Count() const { return static_cast<int>(items_.size()); }
  THashCollectionItem& Item(int index) const;
  template <class T>
  T& ItemAs(int index) const {
    return static_cast<T&>(Item(index));
  }
  // Frees the item at index; the later items move down and keep their cached index right.
  void Delete(int index);
  // Takes the item at index out (unlinked; later items move down) and hands it to the caller, who
  // may put it back with Adopt instead of making a new one.
  std::unique_ptr<THashCollectionItem> Extract(int index);
  // Adds an item made earlier (or taken out with Extract) at the end and links it by its name.
  void Adopt(std::unique_ptr<THashCollectionItem> item) { Insert(std::move(item)); }
  void Clear();
  // Makes room for count items in all, so that adding them never regrows the lookup index.
  void Reserve(std::size_t count);

  // The index of the item linked last among those whose name equals name (case folded); -1 when
  // there is none. Allocates nothing.
  virtual int IndexOf(std::string_view name) const;
  THashCollectionItem* Find(std::string_view name) const;
  // The head of a bucket chain (the item linked last), for lookups that must see every item of
  // a name, not only the first.
  THashCollectionItem* BucketHead(std::uint8_t bucket) const { return buckets_[bucket]; }

 protected:
  // Makes the item Add and AddNamedItem put in; collections of a derived item kind override it.
  virtual std::unique_ptr<THashCollectionItem> CreateItem();

 private:
  friend class THashCollectionItem;
  struct PlainItem;
  void Insert(std::unique_ptr<THashCollectionItem> item);
  void Move(int from, int to);

  // The private lookup index beside the buckets (whose 256 chains hold many names each in a
  // large collection): every linked item by its full folded hash, open addressing with linear
  // probing, at most half full.
  struct Slot {
    std::uint32_t hash = 0;
    THashCollectionItem* item = nullptr;
  };
  void IndexAdd(THashCollectionItem* item);
  void IndexRemove(const THashCollectionItem* item);

  std::vector<std::unique_ptr<THashCollectionItem>> items_;
  std::array<THashCollectionItem*, 256> buckets_{};
  std::vector<Slot> index_;
  std::size_t indexed_ = 0;
  std::uint64_t links_ = 0;
};

// Adds a new item at the end of the collection and gives it the name.
THashCollectionItem& AddNamedItem(THashCollection& collection, std::string_view name);

}  // namespace vorn
