#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <vector>

// A restaurant with one busy courier, put straight into the server through an administration
// connection of the benchmark's own (never the board's).
namespace zdb {
class Connection;
}

namespace zbench {

// Where the private server listens; set once from the command line.
struct ServerAddress {
  QString host = QStringLiteral("127.0.0.1");
  int port = 0;
  int pid = 0;  // of the server process, when known: its CPU time is reported
};
ServerAddress &server();

// Points a program connection at the private server (root, schema zerdapos), as the program's
// own settings would.
void configure(zdb::Connection &connection);

// The benchmark's administration connection (opened on first use).
QSqlDatabase admin();
// The median of some timings (0 for none).
inline double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs one statement on the administration connection; a failure ends the program.
void execOrDie(const QString &statement);
QVariant scalarOrDie(const QString &statement);

// A value as a literal of a statement, as the program's quoting helper writes it; a zero
// date-time read straight through Qt stays the zero date-time.
QString literal(const QVariant &value);

struct Rows {
  QStringList columns;
  std::vector<std::vector<QVariant>> rows;
};
// Multi-row INSERT statements for `rows`, at most `batch` rows each.
QStringList insertStatements(const QString &table, const Rows &rows, int batch = 500);
// Every row of a SELECT, with the types the server gave.
Rows fetch(const QString &statement);

inline const QString kCourier = QStringLiteral("Ali");
inline const QString kSection = QStringLiteral("Paket Servis");
inline const QString kTerminal = QStringLiteral("KASA-PC");
inline const QString kOperator = QStringLiteral("KASA1");
inline constexpr qint64 kOperatorNo = 7;
inline constexpr int kFirstOrder = 100001;

// Terminal, working date, settings, branch, staff, registers, sections and customers.
void seedRestaurant();
// Empties the open orders and the closed records, then gives the courier `orders` ready orders of
// the working date with `lines` lines each. Values vary like a day's delivery orders do.
void seedOrders(int orders, int lines);
// Makes `couriers` active couriers in all (at least Ali and Veli, who stay as seedRestaurant made
// them); each one added has two open orders of two lines in the section, which are not Ali's.
void seedCouriers(int couriers);

}  // namespace zbench
