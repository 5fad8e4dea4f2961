#pragma once
// The registry of the program's single-instance objects: every window
// (Form1, Selpr6, Form8 ...) and the few shared objects (the session, the
// controller, the file slots, the sound service). An instance is made on its first use and lives until clear(); a
// window is afterwards only hidden and shown. Keyed by type. Windows are
// made in one place (main_window/program.h), which hands each what it uses:
//
//   auto& dialog = Windows::get<Selpr6>([] { return std::make_unique<Selpr6>(Desktop(), Chain(), help); });
//   if (auto* viewer = Windows::find<Form8>()) ...   // nullptr until made
//
// A maker may get() other instances (they then count as older), but not its
// own type. For the user-interface thread only.
#include <functional>
#include <memory>
#include <typeindex>

namespace tambril {

// Another window or object handed to a window, made when it is first
// needed: the window calls it each time it uses the other.
template <class T>
using Lazy = std::function<T&()>;

class Windows {
 public:
  // The instance of T; made by `make` (a callable returning
  // std::unique_ptr<T>) if there is none yet.
  template <class T, class Make>
  static T& get(Make&& make) {
    if (T* existing = find<T>()) return *existing;
    auto holder = std::make_unique<Holder<T>>(make());
    T& object = *holder->object;
    add(typeid(T), std::move(holder));
    return object;
  }
  // The same for a type made without arguments.
  template <class T>
  static T& get() {
    return get<T>([] { return std::make_unique<T>(); });
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
    explicit Holder(std::unique_ptr<T> made) : object(std::move(made)) {}
    std::unique_ptr<T> object;
    void* get() override { return object.get(); }
  };

 private:
  static void* lookup(std::type_index type);
  static void add(std::type_index type, std::unique_ptr<HolderBase> holder);
};

}  // namespace tambril
