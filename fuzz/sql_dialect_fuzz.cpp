// Feeds arbitrary statement texts to the tokenizer and the rewriters for the embedded engine,
// MariaDB and PostgreSQL.
// Besides not crashing, two properties must hold for every input: the tokens give the text back
// byte for byte, and every string literal of the input comes out unchanged (the rewriter may
// move one, as "top ('5')" moves to the end, and add literals of its own, such as a quoted date
// part, but never alter or merge one). For PostgreSQL a literal of blanks only may become the 0
// that the central server reads it as where a number is wanted.
// Inputs whose first byte is odd are read as picks from a vocabulary of statement fragments, so
// that the rules meet selects, tops, sub-selects, differences and literals, not only noise.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "db/sql_dialect.h"
#include "db/sql_tokens.h"

namespace {

constexpr std::string_view kFragments[] = {
    "select ", "SELECT",     " top ",    "TOP",
    "5",       "(",          ")",        " ",
    "  ",      "'",          "''",       "'x'",
    "[state]", "[",          "]",        "\"",
    "-",       "/",          "*",        ",",
    ";",       ".",          "endtime",  "begintime",
    "delete ", "from ",      "where ",   "datepart",
    "mm",      "distinct ",  "union ",   "order by ",
    "percent", "with ",      "--",       "/*",
    "*/",      "\n",         "t",        "a",
    "1.5",     "getdate()",  "limit",    "[系统自动发送]",
    "提示",    "zsv_login.", "collate ", "||",
    "wk",      "dw",         "count ",   "`",
    "/*!",     "\\",         "yy",       ", ",
    "=",       "WorkOrder",  "qq",       "age",
    "values ", "zsv_quser",  "<>",       "' '",
    "insert ", "into ",      "ss",       "0",
};

std::string FromFragments(const std::uint8_t* data, std::size_t size) {
    std::string sql;
    for (std::size_t i = 0; i < size; ++i) {
        sql += kFragments[data[i] % std::size(kFragments)];
    }
    return sql;
}

// '' or '  ': spaces only between the quotes.
bool IsBlankLiteral(const std::string& literal) {
    return literal.size() >= 2 && literal.find_first_not_of(' ', 1) == literal.size() - 1;
}

std::vector<std::string> Literals(std::string_view sql, bool with_blank_ones = true) {
    std::vector<std::string> literals;
    for (const db::Token& token : db::TokenizeSql(sql).tokens) {
        if (token.kind == db::TokenKind::Literal &&
            (with_blank_ones || !IsBlankLiteral(token.text))) {
            literals.push_back(token.text);
        }
    }
    return literals;
}

// Every literal of `part` is found in `whole`, as often as `part` holds it.
bool AllKept(std::vector<std::string> part, std::vector<std::string> whole) {
    std::sort(part.begin(), part.end());
    std::sort(whole.begin(), whole.end());
    return std::includes(whole.begin(), whole.end(), part.begin(), part.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string sql = size > 0 && (data[0] & 1) != 0
                                ? FromFragments(data + 1, size - 1)
                                : std::string(reinterpret_cast<const char*>(data), size);
    if (db::JoinTokens(db::TokenizeSql(sql).tokens) != sql) {
        std::abort();
    }
    for (const db::Dialect dialect : {db::Dialect::Sqlite, db::Dialect::MariaDb}) {
        const std::string translated = db::TranslateSql(sql, dialect);
        if (!AllKept(Literals(sql), Literals(translated))) {
            std::abort();
        }
    }
    if (!AllKept(Literals(sql, false), Literals(db::TranslateSql(sql, db::Dialect::Postgres)))) {
        std::abort();
    }
    if (db::TranslateSql(sql, db::Dialect::SqlServer) != sql) {
        std::abort();
    }
    return 0;
}
