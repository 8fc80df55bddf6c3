// Rewrites statements written in the central server's dialect for the engine that runs them.
// The text is split into tokens (db/sql_tokens.h) and each engine has its own list of rewrite
// rules, so string literals and quoted names are never changed. The central server itself gets
// every statement unchanged.
//
// For the embedded engine:
// - "select [distinct] top n ..." becomes "select [distinct] ... limit n", also in sub-selects;
// - DATEPART(mm, x) gets its part as text, DATEPART('mm', x), for the registered datepart();
// - "delete t where ..." gets its FROM;
// - the difference of two date-time columns, "endtime-begintime", becomes
//   datetime_diff(endtime, begintime), the registered function that gives it as the central
//   server does (a date-time counted from 1900-01-01).
// getdate()/GETDATE() and [bracketed] names are understood by the embedded engine as they stand.
//
// For MariaDB, with the session settings of SessionSetupSql:
// - "top n" becomes "limit n" as above ("top (n)" gives "limit n");
// - "delete t where ..." gets its FROM;
// - DATEPART(mm, x) becomes month(x), and so year, quarter, dayofyear, dayofmonth, dayofweek,
//   hour, minute, second; the week becomes its computation from dayofyear and dayofweek;
// - "endtime-begintime" becomes the seconds between them added to 1900-01-01 00:00:00;
// - getdate() becomes now(); "count (x)" loses its blank;
// - [bracketed] names become `backquoted` names; comments are removed.
//
// For PostgreSQL, with the session settings of SessionSetupSql:
// - "top n" becomes "limit n" and "delete t where ..." gets its FROM, as above;
// - a bare number compared with a text column of the central tables is put between quotes;
// - a blank literal compared with or assigned to a number column, or in an insert's place of
//   one, becomes 0, as the central server reads it;
// - DATEPART(mm, x) becomes date_part('month', ...) of x read as a date-time, as an integer; the
//   weekday counts from Sunday as 1, the week is computed as on the central server;
// - "endtime-begintime" becomes the interval between them added to 1900-01-01 00:00:00;
// - getdate() becomes the local date-time of the statement to the second;
// - [Bracketed] names become "lower-cased" quoted names, as the tables are made.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/engine.h"

namespace db {

std::string TranslateSql(std::string_view sql, Dialect dialect);

// Statements a server connection of the dialect runs right after it opens, so that the
// translated statements behave as on the central server whatever the server's own defaults.
std::vector<std::string> SessionSetupSql(Dialect dialect);

}  // namespace db
