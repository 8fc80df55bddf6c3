// Rewrites statements written in the central server's dialect for the engine that runs them.
// The text is split into tokens (db/sql_tokens.h) and each engine has its own list of rewrite
// rules, so string literals and quoted names are never changed. For the embedded engine:
// - "select [distinct] top n ..." becomes "select [distinct] ... limit n", also in sub-selects;
// - DATEPART(mm, x) gets its part as text, DATEPART('mm', x), for the registered datepart();
// - "delete t where ..." gets its FROM;
// - the difference of two date-time columns, "endtime-begintime", becomes
//   datetime_diff(endtime, begintime), the registered function that gives it as the central
//   server does (a date-time counted from 1900-01-01).
// getdate()/GETDATE() and [bracketed] names are understood by the embedded engine as they stand.
// The central server itself gets every statement unchanged.
#pragma once

#include <string>
#include <string_view>

#include "db/engine.h"

namespace db {

std::string TranslateSql(std::string_view sql, Dialect dialect);

}  // namespace db
