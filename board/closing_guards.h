#pragma once
#include <QString>

namespace zdb {
class BatchError;
}

// Statements of the closing run's own (besides the run's quoted ones) that keep what a run holds
// at the server from outliving the till that runs it: a till may stop at any moment (power cut,
// hang, pulled cable) and leave its session open and silent at the server, while the restaurant's
// other programs share the tables it works on.
namespace zboard::guard {

// While a run works its session is bounded: silent for longer than `seconds` (the till stopped),
// the server ends it, and a transaction, table locks and the closing lock end with it. The
// session's own limits are kept in session variables and put back by unboundSession(); a
// session that never saved them keeps its limits.
QString boundSession(int seconds);
QString unboundSession();

// A statement that stops the request it travels in, at the server, unless `condition` holds:
// the statements after it do not run (the server answers "Subquery returns more than 1 row").
// The decision is made where the data is, without a round trip between looking and acting.
QString stopUnless(const QString &condition);
// Whether `error` is the stop of the stopUnless() statement at `index` of its batch.
bool stoppedAt(const zdb::BatchError &error, int index);

// The closing lock that runs on tables without transactions take, one run at a time on all
// terminals; the server lets it go when the session ends.
QString lockName();
// Takes the lock, waiting at most `waitSeconds`, but not at all while its holder has been asleep
// for `staleSeconds` or longer (a stopped till; 0: whatever the holder does): 1 when it was got.
QString takeLock(int waitSeconds, int staleSeconds);
// The id of a session that holds the lock and has been asleep for `staleSeconds` or longer.
QString staleHolder(int staleSeconds);
QString releaseLock();
// A condition: this session holds the lock.
QString holdsLock();

}  // namespace zboard::guard
