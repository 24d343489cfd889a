#pragma once

namespace ztest {

// What closing runs must leave, whatever happened to them: every order of soak_orders is open
// with all its lines (soak_lines) or closed exactly once with exactly its lines, and the money of
// the bills and the open orders adds up to what was seeded. Each statement names a violation by
// its rows; tables soak_orders (ADISYONNO, TUTAR) and soak_lines (ADISYONNO, STOKADI) hold what
// was seeded.
inline constexpr const char *kClosingInvariants[][2] = {
    {"order neither open nor closed once (open, bills)",
     "SELECT e.ADISYONNO, m.ADISYONNO IS NOT NULL, IFNULL(g.c, 0) FROM soak_orders e "
     "LEFT JOIN mainsip m ON m.ADISYONNO = e.ADISYONNO "
     "LEFT JOIN (SELECT ADISYONNO, COUNT(*) c FROM genhar GROUP BY ADISYONNO) g ON g.ADISYONNO = e.ADISYONNO "
     "WHERE (m.ADISYONNO IS NULL AND IFNULL(g.c, 0) <> 1) OR (m.ADISYONNO IS NOT NULL AND IFNULL(g.c, 0) <> 0)"},
    {"bill of no seeded order", "SELECT g.GENHARNO, g.ADISYONNO FROM genhar g LEFT JOIN soak_orders e ON "
                                "e.ADISYONNO = g.ADISYONNO WHERE e.ADISYONNO IS NULL"},
    {"open order lacks a line (order, line, expected, found)",
     "SELECT x.ADISYONNO, x.STOKADI, x.c, IFNULL(t.c, 0) FROM (SELECT ADISYONNO, STOKADI, COUNT(*) c FROM "
     "soak_lines GROUP BY ADISYONNO, STOKADI) x JOIN mainsip m ON m.ADISYONNO = x.ADISYONNO LEFT JOIN "
     "(SELECT ADISYONNO, STOKADI, COUNT(*) c FROM temp GROUP BY ADISYONNO, STOKADI) t ON t.ADISYONNO = "
     "x.ADISYONNO AND t.STOKADI = x.STOKADI WHERE IFNULL(t.c, 0) <> x.c"},
    {"line in temp that no open order expects (order, line)",
     "SELECT t.ADISYONNO, t.STOKADI FROM temp t LEFT JOIN mainsip m ON m.ADISYONNO = t.ADISYONNO "
     "LEFT JOIN soak_lines x ON x.ADISYONNO = t.ADISYONNO AND x.STOKADI = t.STOKADI "
     "WHERE m.ADISYONNO IS NULL OR x.ADISYONNO IS NULL"},
    {"closed order's stock rows differ from its lines (order, line, expected, found)",
     "SELECT x.ADISYONNO, x.STOKADI, x.c, IFNULL(s.c, 0) FROM (SELECT ADISYONNO, STOKADI, COUNT(*) c FROM "
     "soak_lines GROUP BY ADISYONNO, STOKADI) x JOIN genhar g ON g.ADISYONNO = x.ADISYONNO LEFT JOIN "
     "(SELECT GENHARNO, STOKADI, COUNT(*) c FROM stokhar GROUP BY GENHARNO, STOKADI) s ON s.GENHARNO = "
     "g.GENHARNO AND s.STOKADI = x.STOKADI WHERE IFNULL(s.c, 0) <> x.c"},
    {"stock row without its bill, or not of its bill's order (stock row, bill, order)",
     "SELECT s.STOKHARNO, s.GENHARNO, s.ADISYONNO FROM stokhar s LEFT JOIN genhar g ON g.GENHARNO = s.GENHARNO "
     "LEFT JOIN soak_lines x ON x.ADISYONNO = s.ADISYONNO AND x.STOKADI = s.STOKADI "
     "WHERE g.GENHARNO IS NULL OR g.ADISYONNO <> s.ADISYONNO OR x.ADISYONNO IS NULL"},
    {"money of closed bills and open orders is not the seeded total (bills + open, seeded)",
     "SELECT a.total, b.total FROM (SELECT ROUND((SELECT IFNULL(SUM(CIKIS), 0) FROM genhar) + "
     "(SELECT IFNULL(SUM(TUTAR), 0) FROM mainsip), 2) total) a, (SELECT ROUND(IFNULL(SUM(TUTAR), 0), 2) total "
     "FROM soak_orders) b WHERE a.total <> b.total"},
};

}  // namespace ztest
