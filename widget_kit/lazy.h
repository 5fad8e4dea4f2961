#pragma once
// Another window or object handed to a window, made when it is first
// needed: the window calls it each time it uses the other.
#include <functional>

namespace tambril {

template <class T>
using Lazy = std::function<T&()>;

}  // namespace tambril
