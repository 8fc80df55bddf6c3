// Rewrites statements written in the central server's dialect for the engine that runs them:
// "select top n", getdate(), DATEPART, [bracketed] names, "delete t where" without FROM and the
// date-time difference "endtime-begintime". The central server itself gets them unchanged.
#pragma once

#include <string>
#include <string_view>

#include "db/engine.h"

namespace db {

std::string TranslateSql(std::string_view sql, Dialect dialect);

}  // namespace db
