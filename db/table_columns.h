#pragma once

#include <QStringList>

namespace zdb {

// Column lists of the restaurant tables, in the order the program uses them.

// Fields the order-line reader declares for table temp; opening it on a table that lacks
// one of them is an error.
const QStringList &tempDeclaredColumns();

// Fields the section reader declares for table KisimBolum.
const QStringList &kisimBolumDeclaredColumns();

// Fields the customer reader declares for table cari.
const QStringList &cariDeclaredColumns();

// The 85 columns of a closed bill, in insert order; each one is also the name of its
// bound parameter.
const QStringList &genharInsertColumns();

// The 52 columns of a stock movement line, in insert order; each one is also the name of
// its bound parameter.
const QStringList &stokharInsertColumns();

} // namespace zdb
