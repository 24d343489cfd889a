#pragma once
#include <QObject>
#include <functional>

namespace zdb {
class Query;
}

namespace zboard {

// Data-bound widgets follow a query component through its single change handler. Several widgets
// may follow the same component, so the handler installed here fans the notification out to
// every listener; a listener goes away with its owner. Whoever needs to follow a query must bind
// through here: a plain setChangeHandler elsewhere would cut the listeners off.
void bindQuery(zdb::Query &query, QObject *owner, std::function<void()> onChange);

// Removes the owner's listeners from the query (also done when the owner is destroyed).
void unbindQuery(zdb::Query &query, QObject *owner);

}  // namespace zboard
