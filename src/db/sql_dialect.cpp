#include "db/sql_dialect.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "db/central_schema.h"
#include "db/sql_tokens.h"
#include "db/table_def.h"

namespace db {

namespace {

using Tokens = std::vector<Token>;
// A rewrite rule edits the tokens of the statement text in place.
using Rule = void (*)(Tokens&);

Token MakeBlank() {
    return Token{TokenKind::Blank, " "};
}

Token MakeWord(std::string text) {
    return Token{TokenKind::Word, std::move(text)};
}

Token MakeSymbol(std::string text) {
    return Token{TokenKind::Symbol, std::move(text)};
}

// Inserts `inserted` before the token at `index`, with a blank in front when the inserted text
// begins with a word and would otherwise run into a word or number before it.
void InsertApart(Tokens& tokens, std::size_t index, Tokens inserted) {
    if (index > 0 && !inserted.empty() && inserted.front().kind == TokenKind::Word &&
        (tokens[index - 1].kind == TokenKind::Word ||
         tokens[index - 1].kind == TokenKind::Number)) {
        inserted.insert(inserted.begin(), MakeBlank());
    }
    tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(index), inserted.begin(),
                  inserted.end());
}

bool StartsStatement(const Tokens& tokens, std::size_t index) {
    const std::size_t previous = PreviousSignificant(tokens, index);
    return previous == kNoToken || IsSymbol(tokens[previous], ";");
}

// The last token of the name that starts at `index`, qualifiers included ("zsv_friend.qq").
std::size_t QualifiedNameEnd(const Tokens& tokens, std::size_t index) {
    std::size_t end = index;
    for (;;) {
        const std::size_t dot = NextSignificant(tokens, end);
        if (dot == kNoToken || !IsSymbol(tokens[dot], ".")) {
            return end;
        }
        const std::size_t name = NextSignificant(tokens, dot);
        if (name == kNoToken || !IsName(tokens[name])) {
            return end;
        }
        end = name;
    }
}

// The first token of the name that ends at `index`, qualifiers included.
std::size_t QualifiedNameStart(const Tokens& tokens, std::size_t index) {
    std::size_t start = index;
    for (;;) {
        const std::size_t dot = PreviousSignificant(tokens, start);
        if (dot == kNoToken || !IsSymbol(tokens[dot], ".")) {
            return start;
        }
        const std::size_t name = PreviousSignificant(tokens, dot);
        if (name == kNoToken || !IsName(tokens[name])) {
            return start;
        }
        start = name;
    }
}

// The ")" that closes the "(" at `open`, or kNoToken.
std::size_t MatchingClose(const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "(")) {
            ++depth;
        } else if (IsSymbol(tokens[i], ")") && --depth == 0) {
            return i;
        }
    }
    return kNoToken;
}

// Where the select whose clauses continue at `from` ends: the ")" that closes the parenthesis it
// stands in, its ";", or the end of the text. kNoToken when it is one part of a union, except or
// intersect: there a limit at its end would apply to the whole compound.
std::size_t SelectEnd(const Tokens& tokens, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (IsSymbol(token, "(")) {
            ++depth;
        } else if (IsSymbol(token, ")")) {
            if (depth == 0) {
                return i;
            }
            --depth;
        } else if (depth == 0 && IsSymbol(token, ";")) {
            return i;
        } else if (depth == 0 && (IsWord(token, "union") || IsWord(token, "except") ||
                                  IsWord(token, "intersect"))) {
            return kNoToken;
        }
    }
    return tokens.size();
}

// "select [distinct|all] top n ..." → "select [distinct|all] ... limit n", the limit placed after
// the last clause of that select, so that it follows its "order by" and stays inside the
// parentheses of a sub-select. "top (n)" gives "limit (n)". "top n percent", "top n with ties"
// and a top inside a union have no plain limit form and are left for the engine to refuse.
void TopToLimit(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "select")) {
            continue;
        }
        std::size_t top = NextSignificant(tokens, i);
        if (top != kNoToken && (IsWord(tokens[top], "distinct") || IsWord(tokens[top], "all"))) {
            top = NextSignificant(tokens, top);
        }
        if (top == kNoToken || !IsWord(tokens[top], "top")) {
            continue;
        }
        const std::size_t count_begin = NextSignificant(tokens, top);
        if (count_begin == kNoToken) {
            continue;
        }
        std::size_t count_end = count_begin;
        if (IsSymbol(tokens[count_begin], "(")) {
            count_end = MatchingClose(tokens, count_begin);
        } else if (tokens[count_begin].kind != TokenKind::Number) {
            continue;
        }
        if (count_end == kNoToken) {
            continue;
        }
        const std::size_t rest = NextSignificant(tokens, count_end);
        if (rest == kNoToken || IsWord(tokens[rest], "percent") || IsWord(tokens[rest], "with")) {
            continue;
        }
        const std::size_t end = SelectEnd(tokens, rest);
        if (end == kNoToken) {
            continue;
        }
        const std::size_t last = PreviousSignificant(tokens, end);
        Tokens limit = {MakeBlank(), MakeWord("limit"), MakeBlank()};
        limit.insert(limit.end(), tokens.begin() + static_cast<std::ptrdiff_t>(count_begin),
                     tokens.begin() + static_cast<std::ptrdiff_t>(count_end + 1));
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(last + 1), limit.begin(),
                      limit.end());
        // "top n" goes with the blanks after it; the blank before it stays.
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(top),
                     tokens.begin() + static_cast<std::ptrdiff_t>(rest));
        if (tokens[top - 1].kind != TokenKind::Blank) {
            tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(top), MakeBlank());
        }
    }
}

// "delete t where ..." → "delete from t where ...". Only a delete that begins a statement is
// one ("on delete cascade" is not), and "delete t from t join ..." is left as it stands.
void DeleteWithFrom(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "delete") || !StartsStatement(tokens, i)) {
            continue;
        }
        const std::size_t table = NextSignificant(tokens, i);
        if (table == kNoToken || !IsName(tokens[table]) || IsWord(tokens[table], "from") ||
            IsWord(tokens[table], "top")) {
            continue;
        }
        const std::size_t after = NextSignificant(tokens, QualifiedNameEnd(tokens, table));
        if (after != kNoToken && IsWord(tokens[after], "from")) {
            continue;
        }
        InsertApart(tokens, table, {MakeWord("from"), MakeBlank()});
    }
}

// DATEPART(mm, x) names the part with a bare word; the registered datepart() takes it as text.
void QuoteDateParts(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "datepart")) {
            continue;
        }
        const std::size_t open = NextSignificant(tokens, i);
        if (open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t part = NextSignificant(tokens, open);
        if (part == kNoToken || tokens[part].kind != TokenKind::Word) {
            continue;
        }
        const std::size_t comma = NextSignificant(tokens, part);
        if (comma == kNoToken || !IsSymbol(tokens[comma], ",")) {
            continue;
        }
        // A bare word holds no quote, so it can be put between quotes as it is.
        tokens[part] = Token{TokenKind::Literal, "'" + tokens[part].text + "'"};
    }
}

// A date-time column of the central tables. Only a difference of two of them is a date-time
// difference; any other "a-b" of the statements is a difference of numbers.
bool IsDateTimeColumn(const Token& token) {
    static const std::vector<std::string> kDateTimeColumns = [] {
        std::vector<std::string> names;
        for (const TableDef& table : CentralTables()) {
            for (const ColumnDef& column : table.columns) {
                if (column.kind == ColumnKind::DateTime) {
                    names.push_back(column.name);
                }
            }
        }
        return names;
    }();
    if (!IsName(token)) {
        return false;
    }
    const std::string name = NameOf(token);
    for (const std::string& column : kDateTimeColumns) {
        if (common::EqualsNoCase(name, column)) {
            return true;
        }
    }
    return false;
}

bool IsArithmeticOperator(const Token& token) {
    static constexpr std::array<std::string_view, 12> kOperators = {"+", "-", "*", "/", "%",  "||",
                                                                    "~", "&", "|", "^", "<<", ">>"};
    if (token.kind != TokenKind::Symbol) {
        return false;
    }
    for (const std::string_view op : kOperators) {
        if (token.text == op) {
            return true;
        }
    }
    return false;
}

// Operators that would take the right-hand column away from the "-".
bool BindsTighterThanMinus(const Token& token) {
    return IsSymbol(token, "*") || IsSymbol(token, "/") || IsSymbol(token, "%") ||
           IsSymbol(token, "||") || IsWord(token, "collate");
}

// "endtime-begintime" → "datetime_diff(endtime, begintime)". Rewritten only where the two
// columns are the whole operands of that "-": no other operator binds either of them first.
void DateTimeDifferenceToFunction(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSymbol(tokens[i], "-")) {
            continue;
        }
        const std::size_t left_end = PreviousSignificant(tokens, i);
        const std::size_t right_begin = NextSignificant(tokens, i);
        if (left_end == kNoToken || right_begin == kNoToken ||
            !IsDateTimeColumn(tokens[left_end])) {
            continue;
        }
        const std::size_t right_end = QualifiedNameEnd(tokens, right_begin);
        if (!IsName(tokens[right_begin]) || !IsDateTimeColumn(tokens[right_end])) {
            continue;
        }
        const std::size_t left_begin = QualifiedNameStart(tokens, left_end);
        const std::size_t before = PreviousSignificant(tokens, left_begin);
        const std::size_t after = NextSignificant(tokens, right_end);
        if ((before != kNoToken && IsArithmeticOperator(tokens[before])) ||
            (after != kNoToken &&
             (BindsTighterThanMinus(tokens[after]) || IsSymbol(tokens[after], "(")))) {
            continue;
        }
        const auto at = [&tokens](std::size_t index) {
            return tokens.begin() + static_cast<std::ptrdiff_t>(index);
        };
        Tokens call = {MakeWord("datetime_diff"), MakeSymbol("(")};
        call.insert(call.end(), at(left_begin), at(left_end + 1));
        call.push_back(MakeSymbol(","));
        call.push_back(MakeBlank());
        call.insert(call.end(), at(right_begin), at(right_end + 1));
        call.push_back(MakeSymbol(")"));
        tokens.erase(at(left_begin), at(right_end + 1));
        const std::size_t size_before = tokens.size();
        InsertApart(tokens, left_begin, std::move(call));
        i = left_begin + (tokens.size() - size_before) - 1;
    }
}

constexpr std::array<Rule, 4> kSqliteRules = {
    TopToLimit,
    DeleteWithFrom,
    QuoteDateParts,
    DateTimeDifferenceToFunction,
};

std::span<const Rule> RulesFor(Dialect dialect) {
    switch (dialect) {
        case Dialect::Sqlite:
            return kSqliteRules;
        case Dialect::SqlServer:
            break;  // the statements are written in its dialect
        case Dialect::Postgres:
        case Dialect::MariaDb:
            break;  // no rules yet: their lists come with those engines
    }
    return {};
}

}  // namespace

std::string TranslateSql(std::string_view sql, Dialect dialect) {
    const std::span<const Rule> rules = RulesFor(dialect);
    if (rules.empty()) {
        return std::string(sql);
    }
    TokenizedSql tokenized = TokenizeSql(sql);
    // An unclosed literal or comment swallows the rest of the text; a rewrite there could put
    // its words inside it. Such a text is left for the engine to refuse.
    if (!tokenized.complete) {
        return std::string(sql);
    }
    for (const Rule rule : rules) {
        rule(tokenized.tokens);
    }
    return JoinTokens(tokenized.tokens);
}

}  // namespace db
