#include "platform/windows.h"

#include <vector>

namespace tambril {

struct Windows::Entry {
  std::type_index type;
  std::unique_ptr<HolderBase> holder;
};

namespace {
// Entries in creation order, so that clear() can undo them newest first.
std::vector<Windows::Entry*> g_entries;
}  // namespace

void* Windows::lookup(std::type_index type) {
  for (Entry* e : g_entries) {
    if (e->type == type) return e->holder->get();
  }
  return nullptr;
}

void Windows::add(std::type_index type, std::unique_ptr<HolderBase> holder) {
  g_entries.push_back(new Entry{type, std::move(holder)});
}

void Windows::clear() {
  // One at a time, so that a destructor may still look up an older instance.
  while (!g_entries.empty()) {
    std::unique_ptr<Entry> last(g_entries.back());
    g_entries.pop_back();
  }
}

}  // namespace tambril
