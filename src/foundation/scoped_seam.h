#pragma once

namespace vorn {

// A seam is a global slot through which a lower library reaches an implementation that a higher
// one provides (the engine's script host, the scene, the screen control...). ScopedSeam puts an
// implementation in the slot and takes it out again when it goes, so no slot keeps pointing at an
// object that has been destroyed.
//
// Installs nest: each one remembers what the slot held and puts that back. Taking out an
// implementation that something else has since replaced leaves the slot alone: the newer owner
// still has its own to take out.
template <typename Interface>
class ScopedSeam {
 public:
  // A slot whose setter answers what it replaced.
  using Exchange = Interface* (*)(Interface*);
  // A slot with a getter and a plain setter.
  using Getter = Interface* (*)();
  using Setter = void (*)(Interface*);

  explicit ScopedSeam(Exchange exchange) : exchange_(exchange) {}
  ScopedSeam(Getter get, Setter set) : get_(get), set_(set) {}
  ~ScopedSeam() { Remove(); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

  // Puts the implementation in the slot. Installing again swaps the implementation and keeps the
  // slot's first content as the one to put back.
  void Install(Interface* implementation) {
    Interface* replaced = Put(implementation);
    if (!installed_) previous_ = replaced;
    implementation_ = implementation;
    installed_ = true;
  }

  // Puts back what the slot held before Install, unless something else has replaced ours since.
  void Remove() {
    if (!installed_) return;
    installed_ = false;
    if (Current() == implementation_) Put(previous_);
    implementation_ = nullptr;
    previous_ = nullptr;
  }

  bool installed() const { return installed_; }

 private:
  Interface* Put(Interface* implementation) {
    if (exchange_ != nullptr) return exchange_(implementation);
    Interface* replaced = get_();
    set_(implementation);
    return replaced;
  }

  Interface* Current() {
    if (get_ != nullptr) return get_();
    // Without a getter the slot is read by exchanging it with itself.
    Interface* current = exchange_(nullptr);
    exchange_(current);
    return current;
  }

  Exchange exchange_ = nullptr;
  Getter get_ = nullptr;
  Setter set_ = nullptr;
  Interface* implementation_ = nullptr;
  Interface* previous_ = nullptr;
  bool installed_ = false;
};

}  // namespace vorn
