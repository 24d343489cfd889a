#pragma once
#include <QDate>
#include <QString>

// Numbers and dates as a Turkish workstation shows them, whatever the machine's own locale is.
namespace zfmt {

// Amount format of the grid and the summary: "." thousands, "," decimals, exactly two decimals,
// the value first rounded to 12 significant digits. 1234.5 -> «1.234,50», -5 -> «-5,00».
QString amount(double value);

// Reads an amount back: every "." deleted, "," taken as the decimal separator.
// Sets *ok (when given) to false on a text that is not a number.
double parseAmount(const QString &text, bool *ok = nullptr);

// General format: shortest form, decimal comma, no thousands separator. 1234.5 -> «1234,5», 3 -> «3».
QString general(double value);

// Number-format pattern "#,##0.###" and its kin: at most maxDecimals decimals with trailing zeros
// dropped, "," decimals, "." thousands when grouped. 1234.5 with 3 decimals -> «1.234,5».
QString number(double value, int maxDecimals, bool groupThousands);

// Long Turkish date, as the working-date picker shows it: «9 Aralık 2026 Çarşamba».
QString longDate(const QDate &date);

}  // namespace zfmt
