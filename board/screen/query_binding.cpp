#include "query_binding.h"

#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "db/query.h"

namespace zboard {

namespace {

struct Listener {
  QObject *owner;
  std::function<void()> onChange;
};

using Listeners = std::vector<Listener>;

// Keyed by the component's address; the handler installed on the component holds the same list.
std::map<zdb::Query *, std::shared_ptr<Listeners>> &registry() {
  static std::map<zdb::Query *, std::shared_ptr<Listeners>> map;
  return map;
}

void removeOwner(Listeners &list, QObject *owner) {
  std::erase_if(list, [owner](const Listener &l) { return l.owner == owner; });
}

}  // namespace

void bindQuery(zdb::Query &query, QObject *owner, std::function<void()> onChange) {
  auto &slot = registry()[&query];
  if (!slot) slot = std::make_shared<Listeners>();
  slot->push_back({owner, std::move(onChange)});
  // Installed again on every bind: a component that reuses a dead one's address starts clean.
  std::weak_ptr<Listeners> weak = slot;
  query.setChangeHandler([weak] {
    auto list = weak.lock();
    if (!list) return;
    const Listeners snapshot = *list;  // a listener may bind or unbind while being told
    for (const Listener &l : snapshot) l.onChange();
  });
  QObject::connect(owner, &QObject::destroyed, [list = std::weak_ptr<Listeners>(slot), owner] {
    if (auto l = list.lock()) removeOwner(*l, owner);
  });
}

void unbindQuery(zdb::Query &query, QObject *owner) {
  auto it = registry().find(&query);
  if (it != registry().end()) removeOwner(*it->second, owner);
}

}  // namespace zboard
