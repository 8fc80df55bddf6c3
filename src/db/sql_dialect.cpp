#include "db/sql_dialect.h"

namespace db {

// Being written: the rewriter for the embedded engine. Until it lands, statements pass through.
std::string TranslateSql(std::string_view sql, Dialect) {
    return std::string(sql);
}

}  // namespace db
