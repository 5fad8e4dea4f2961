#pragma once
// The registry of the program's single-instance objects: every window
// (Form1, Selpr6, Form8 ...) and the few shared objects such as the open file
// slots. An instance is created on its first use and lives until clear(); a
// window is afterwards only hidden and shown. Keyed by type, so a new window
// needs no entry in any central list:
//
//   auto& dialog = Windows::get<Selpr6>();   // created on first use
//   if (auto* viewer = Windows::find<Form8>()) ...   // nullptr until created
//
// A constructor may get() other instances (they then count as older), but
// not its own type. For the user-interface thread only.
#include <memory>
#include <typeindex>

namespace tambril {

class Windows {
 public:
  template <class T>
  static T& get() {
    if (T* existing = find<T>()) return *existing;
    auto holder = std::make_unique<Holder<T>>();
    T& object = *holder->object;
    add(typeid(T), std::move(holder));
    return object;
  }

  template <class T>
  static T* find() {
    return static_cast<T*>(lookup(typeid(T)));
  }

  // Destroys every instance, the newest first. The program calls it before
  // the application object goes; tests call it between cases.
  static void clear();

  struct Entry;  // one instance and its type; defined in windows.cpp

  struct HolderBase {
    virtual ~HolderBase() = default;
    virtual void* get() = 0;
  };
  template <class T>
  struct Holder : HolderBase {
    std::unique_ptr<T> object = std::make_unique<T>();
    void* get() override { return object.get(); }
  };

 private:
  static void* lookup(std::type_index type);
  static void add(std::type_index type, std::unique_ptr<HolderBase> holder);
};

}  // namespace tambril
